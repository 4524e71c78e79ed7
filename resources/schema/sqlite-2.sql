-- Second version of the ledger: what each import of a gift list wrote, so
-- that one import can be taken back as a whole. The tables of the first
-- version are unchanged.

-- One import: the file it read, when, by whom, how many records it wrote,
-- and when it was taken back (empty while it stands).
CREATE TABLE drjl (
    drid integer      NOT NULL PRIMARY KEY,
    wjm  varchar(255) NOT NULL,
    drsj varchar(19)  NOT NULL,
    czr  varchar(10),
    ts   integer      NOT NULL,
    cxsj varchar(19)
);

-- The records of one import, each with a fingerprint of what it held when
-- written: a record changed since is not taken back with the import.
CREATE TABLE drmx (
    drid integer     NOT NULL,
    xtbh varchar(12) NOT NULL,
    zw   varchar(64) NOT NULL,
    PRIMARY KEY (drid, xtbh)
);
CREATE INDEX drmx_xtbh ON drmx (xtbh);
