#!/usr/bin/perl
# Writes tests/imports/data/giftlist.xls, the small workbook of the older
# Excel format (BIFF8) that the import tests read. It is checked in; run this
# again only to change it:
#   apt-get install libspreadsheet-writeexcel-perl
#   perl scripts/make_test_xls.pl tests/imports/data/giftlist.xls
use strict;
use warnings;
use utf8;
use Spreadsheet::WriteExcel;

my $file = shift or die "usage: $0 FILE.xls\n";
my $book = Spreadsheet::WriteExcel->new($file) or die "cannot write $file: $!\n";
my $sheet = $book->add_worksheet("礼单");
my $date = $book->add_format(num_format => 'yyyy-mm-dd');

$sheet->write_string(0, 0, "姓名");
$sheet->write_string(0, 1, "金额");
$sheet->write_string(0, 2, "日期");
$sheet->write_string(0, 3, "事由");
$sheet->write_string(1, 0, "张三");
$sheet->write_number(1, 1, 88.8);
$sheet->write_date_time(1, 2, "2024-05-01T", $date);
$sheet->write_string(1, 3, "婚礼");
$sheet->write_string(2, 0, "李四");
$sheet->write_number(2, 1, 200);
$sheet->write_date_time(2, 2, "2024-05-02T", $date);
$sheet->write_string(2, 3, "婚礼");
$book->close();
