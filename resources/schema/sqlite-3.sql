-- Third version of the ledger: the books kept at a wedding or a funeral.
-- Every line of a book is an ordinary received gift in rqwlb; these tables
-- only say which book it belongs to and where it stands in it. The tables
-- of the earlier versions are unchanged. Widths are GBK bytes.

-- One book: its name (mc, 40 bytes), its day (rq, yyyymmdd), 喜事 or 丧事
-- (lx), the reason its gifts are stored under (sy, as rqwlb.sy), and
-- whether it is closed to entry (zt: 0 open, 1 closed).
CREATE TABLE lbb (
    lbid integer     NOT NULL PRIMARY KEY,
    mc   varchar(40) NOT NULL,
    rq   varchar(8)  NOT NULL,
    lx   varchar(4)  NOT NULL,
    sy   varchar(10),
    zt   integer     NOT NULL DEFAULT 0
);

-- The lines of a book: the record (xtbh, in rqwlb), its place in the book
-- (px, ascending; entry order unless the operator moved it) and a remark
-- (bz, 40 bytes).
CREATE TABLE lbmx (
    lbid integer     NOT NULL,
    xtbh varchar(12) NOT NULL,
    px   integer     NOT NULL,
    bz   varchar(40),
    PRIMARY KEY (lbid, xtbh)
);
CREATE INDEX lbmx_xtbh ON lbmx (xtbh);
