#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace qv {

// w_about: product name and the version from the working directory's
// pb.ini ([other] ver).
class AboutWindow : public QDialog
{
public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // "版本 " and the `ver` of the profile at `profilePath`, "1.0.0" when absent.
    static QString versionText(const QString& profilePath);
    // The profile the about box reads: pb.ini in the directory the frame captured.
    static QString profilePath();

private:
    QLabel* m_title;
    QLabel* m_version;
    QPushButton* m_ok;
};

} // namespace qv
