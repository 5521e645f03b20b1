#include "BankContent.h"

#include <stdexcept>

namespace {

ColumnSpec Number(const char* name) {
    return {QLatin1String(name), ColumnKind::Number};
}
ColumnSpec Integer(const char* name) {
    return {QLatin1String(name), ColumnKind::Integer};
}
ColumnSpec Text(const char* name) {
    return {QLatin1String(name), ColumnKind::Text};
}
ColumnSpec Code(const char* name) {
    return {QLatin1String(name), ColumnKind::Code};
}

} // namespace

const QList<TableSpec>& BankTables() {
    static const QList<TableSpec> tables = {
        {"Area", {Number("AreaID"), Text("AreaName")}},
        {"CarType", {Number("CarTypeID"), Text("CarTypeName"), Text("CarTypeDesc")}},
        {"SubFormat", {Number("SubFormatID"), Text("SubFormatName")}},
        {"SubHardEasy", {Number("SubHardEasyID"), Text("SubHardEasyName")}},
        {"SubType", {Number("SubTypeID"), Text("SubTypeName")}},
        {"Chapter",
         {Integer("ChapterID"), Text("ChapterMark"), Text("ChapterName"), Text("ChapterDesc"),
          Integer("CarTypeSubID"), Integer("AreaSubID")}},
        {"Sub",
         {Integer("ID"),
          Integer("SubID"),
          Integer("ChapterID"),
          Text("SubMark"),
          Code("SubContent"),
          Text("SubContentPic"),
          Text("SubContentPicType"),
          Code("AAnswer"),
          Code("BAnswer"),
          Code("CAnswer"),
          Code("DAnswer"),
          Code("SubAnswer"),
          Code("SubAnalyse"),
          Text("SubAnalysePic"),
          Text("SubAnalysePicType"),
          {QStringLiteral("WrongMark"), ColumnKind::Flag},
          Integer("SubFormatID"),
          Integer("SubHardEasyID"),
          Integer("SubTypeID")}},
        // Questions of which a paper holds one at most: they answer each other or test one
        // fact. One row per member of a group.
        {"SubRelated", {Text("RelatedGroup"), Integer("SubID")}, true, false},
        {"DriveTeach",
         {Integer("DriveTeachID"), Text("DriveTeachFirstName"), Text("DriveTeachSecondName")},
         true},
        {"DriveTeachList",
         {Integer("DriveTeachID"), Text("TeachName"), Text("TeachCaption"), Text("TeachDesc"),
          Text("TeachType")},
         true,
         false},
    };
    return tables;
}

const TableSpec& BankTable(const QString& table) {
    for (const TableSpec& spec : BankTables())
        if (spec.Table == table)
            return spec;
    throw std::out_of_range("no such bank table");
}

QString CountColumn(int carType) {
    return QStringLiteral("CardTypeIDCount%1").arg(carType);
}
