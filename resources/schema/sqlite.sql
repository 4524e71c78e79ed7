-- The ledger's tables on SQLite. Text widths are GBK bytes; SQLite does not
-- enforce them, the program checks every value before it writes.
-- Statements are separated by a semicolon at the end of a line.

CREATE TABLE rqwlb (
    xtbh varchar(12) NOT NULL PRIMARY KEY,
    xm   varchar(16),
    fw   varchar(16),
    lx   varchar(4),
    sy   varchar(10),
    dx   varchar(10),
    je   numeric(14,2),
    wp   varchar(16),
    sj   varchar(10),
    sq   varchar(10),
    bm   varchar(30),
    dh   varchar(30),
    yd   varchar(15),
    hj   varchar(12),
    dz   varchar(40)
);
CREATE INDEX rqwlb_lx_sq ON rqwlb (lx, sq);
CREATE INDEX rqwlb_xm_sq ON rqwlb (xm, sq);
CREATE INDEX rqwlb_sq ON rqwlb (sq);

CREATE TABLE wlryb (
    xm varchar(16) NOT NULL PRIMARY KEY,
    xb varchar(2)  NOT NULL,
    py varchar(16),
    fw varchar(16),
    bm varchar(30),
    dh varchar(30),
    yd varchar(15),
    hj varchar(12),
    dz varchar(40)
);
CREATE INDEX wlryb_py ON wlryb (py);

CREATE TABLE czr (
    code     varchar(4) NOT NULL PRIMARY KEY,
    name     varchar(10),
    password varchar(10),
    lb       varchar(12),
    qx       varchar(10)
);

CREATE TABLE tjb (
    year varchar(4) NOT NULL,
    mon  varchar(2) NOT NULL,
    sou  numeric(14,2),
    song numeric(14,2),
    je   numeric(14,2),
    PRIMARY KEY (year, mon)
);

CREATE TABLE tjb_save (
    year varchar(4) NOT NULL,
    mon  varchar(2) NOT NULL,
    sou  numeric(14,2),
    song numeric(14,2),
    je   numeric(14,2),
    PRIMARY KEY (year, mon)
);

CREATE TABLE pym (
    xh varchar(5) NOT NULL PRIMARY KEY,
    hz varchar(2),
    py varchar(10)
);

CREATE TABLE syb (
    sy varchar(10)
);

CREATE TABLE dxb (
    dx varchar(10)
);

CREATE TABLE fwfz (
    fwz varchar(16) NOT NULL PRIMARY KEY
);
