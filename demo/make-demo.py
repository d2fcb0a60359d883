#!/usr/bin/python3
# Makes the demo catalogue files that the walk-through imports: postal-catalogue.xls (the postal
# catalogue, type 0, written with xlwt) and nonpostal-catalogue.xlsx (the non-postal catalogue, type 1,
# written with openpyxl). Row 1 names the columns of the catalogue table; every further row is a title.
# Run with Debian's /usr/bin/python3 (python3-xlwt, python3-openpyxl) from any folder.
import os

import openpyxl
import xlwt

here = os.path.dirname(os.path.abspath(__file__))

POSTAL_HEADER = ["BKDH", "BKMC", "KQ", "CBRQ", "QNJ", "DJ", "YJ", "JJ", "BNJ",
                 "CN", "ISSN", "BKFL", "BZ", "BKJB", "FBKJ", "BKZL"]
# None leaves the cell empty (the title has no such price). Code 4-2 is already in the demo database:
# importing replaces that entry with the new price.
POSTAL = [
    ["4-2", "数学月刊", "月刊", "每月的10号出版", 108, 9, None, None, 54, "CN33-0402", "1000-0402", "自然科学", "新年度调价", "省级", "杭州", "杂志"],
    ["11-1", "海滨日报", "日报", "每日出版", 420, 1.2, 35, 105, 210, "CN37-1101", None, "综合", None, "省级", "青岛", "报纸"],
    ["11-2", "山城晚报", "日报", "每日出版", 384, 1, 32, None, None, "CN50-1102", None, "综合", None, "市级", "重庆", "报纸"],
    ["11-5", "经济参考周6报", "周6报", "每周1,2,3,4,5,6出版", 300, 1, None, 75, 150, "CN11-1105", None, "经济", None, "国家级", "北京", "报纸"],
    ["11-8", "中学生学习报", "周报", "每周2出版", 48, 1, None, None, 24, "CN41-1108", None, "教育", "学期内出版", "省级", "郑州", "报纸"],
    ["13-1", "电脑周报", "周报", "每周1出版", 78, 1.5, None, None, None, "CN51-1301", None, "计算机", None, "省级", "成都", "报纸"],
    ["13-4", "环球时讯", "周3报", "每周1,3,5出版", 180, 1.2, 15, None, None, "CN11-1304", None, "时政", None, "国家级", "北京", "报纸"],
    ["13-9", "农民科技报", "周2报", "每周2,5出版", 96, 0.9, None, 24, 48, "CN43-1309", None, "农业", None, "省级", "长沙", "报纸"],
    ["15-2", "法治半月报", "半月报", "每月1,16号出版", 24, 1, 2, None, None, "CN11-1502", None, "法律", None, "国家级", "北京", "报纸"],
    ["15-7", "老干部月报", "月报", "每月15号出版", 18, 1.5, None, None, None, "CN21-1507", None, "综合", None, "省级", "沈阳", "报纸"],
    ["12-1", "新观察周刊", "周刊", "每周4出版", 312, 6, None, 78, 156, "CN11-1201", "1006-1201", "时政", None, "国家级", "北京", "杂志"],
    ["12-3", "儿童画报旬刊", "旬刊", "每月5,15,25号出版", 144, 4, 12, 36, 72, "CN31-1203", "1002-1203", "少儿", None, "省级", "上海", "杂志"],
    ["12-6", "家居双周刊", "双周刊", "单周逢星期4出版", 130, 5, None, None, 65, "CN44-1206", "1003-1206", "生活", None, "省级", "广州", "杂志"],
    ["14-1", "小说半月刊", "半月刊", "每月1,16号出版", 192, 8, 16, None, 96, "CN32-1401", "1004-1401", "文学", None, "省级", "南京", "杂志"],
    ["14-2", "Reader's World 英语读者", "月刊", "每月的1号出版", 120, 10, None, 30, 60, "CN11-1402", "1005-1402", "外语", "中英对照", "国家级", "北京", "杂志"],
    ["14-5", "摄影月刊", "月刊", "每月的20号出版", 180, 15, 15, None, None, "CN33-1405", "1007-1405", "艺术", None, "省级", "杭州", "杂志"],
    ["14-8", "医药卫生月刊", "月刊", "每月的28号出版", 96, 8, None, None, None, "CN42-1408", "1008-1408", "医药", None, "省级", "武汉", "杂志"],
    ["16-1", "书法双月刊", "双月刊", "双月份20号出版", 72, 12, None, None, 36, "CN37-1601", "1009-1601", "艺术", None, "省级", "济南", "杂志"],
    ["16-3", "考古季刊", "季刊", "季中月份15号出版", 100, 25, None, 25, 50, "CN61-1603", "1010-1603", "历史", None, "国家级", "西安", "杂志"],
    ["16-4", "经济学半年刊", "半年刊", "6-30,12-31出版", 80, 40, None, None, 40, "CN11-1604", "1011-1604", "经济", None, "国家级", "北京", "杂志"],
    ["16-9", "地方志年刊", "年刊", "12-20出版", 60, 60, None, None, None, "CN14-1609", "1012-1609", "历史", None, "省级", "太原", "杂志"],
    ["16-10", "收藏与鉴赏", "不定", "不定期出版", 50, 12.5, None, None, None, "CN21-1610", "1013-1610", "艺术", "不定期", "省级", "沈阳", "杂志"],
]

NONPOSTAL_HEADER = ["BKDH", "BKMC", "KQ", "CBRQ", "QNJ", "DJ", "JJ", "BNJ", "BKFL", "FBKJ", "BKZL", "MLLX"]
# MLLX 1: the non-postal catalogue, the tab at position 1.
NONPOSTAL = [
    ["802-1", "行业信息内参", "月刊", "每月的8号出版", 240, 20, 60, 120, "经济", "北京", "杂志", 1],
    ["802-2", "企业文化周报", "周报", "每周3出版", 104, 2, None, 52, "管理", "上海", "报纸", 1],
    ["802-5", "物业管理实务", "双月刊", "双月份10号出版", 90, 15, None, None, "管理", "深圳", "杂志", 1],
    ["802-8", "营销参考", "半月刊", "每月1,16号出版", 144, 6, 36, 72, "经济", "广州", "杂志", 1],
    ["803-1", "安全生产快讯", "旬刊", "每月5,15,25号出版", 108, 3, None, None, "安全", "天津", "杂志", 1],
    ["803-2", "O'Brien商务英语", "季刊", "季末月份31号出版", 88, 22, 22, 44, "外语", "大连", "杂志", 1],
    ["803-7", "财税政策汇编", "不定", "不定期出版", 120, 30, None, None, "财税", "北京", "杂志", 1],
    ["803-10", "交通运输周刊", "周刊", "每周5出版", 260, 5, None, 130, "交通", "武汉", "杂志", 1],
]


def write_xls(path, header, rows, sheet_name):
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet(sheet_name)
    for c, name in enumerate(header):
        sheet.write(0, c, name)
    for r, row in enumerate(rows, start=1):
        for c, value in enumerate(row):
            if value is not None:
                sheet.write(r, c, value)
    book.save(path)


def write_xlsx(path, header, rows, sheet_name):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = sheet_name
    sheet.append(header)
    for row in rows:
        sheet.append(row)
    book.save(path)


write_xls(os.path.join(here, "postal-catalogue.xls"), POSTAL_HEADER, POSTAL, "邮发目录")
write_xlsx(os.path.join(here, "nonpostal-catalogue.xlsx"), NONPOSTAL_HEADER, NONPOSTAL, "非邮发目录")
