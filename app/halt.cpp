#include "halt.h"

#include <QCoreApplication>

namespace qv {

namespace {
std::function<void()>& handler()
{
    static std::function<void()> h;
    return h;
}
} // namespace

void halt()
{
    if (handler())
        handler()();
    else
        QCoreApplication::exit(0);
}

void setHaltHandler(std::function<void()> h)
{
    handler() = std::move(h);
}

} // namespace qv
