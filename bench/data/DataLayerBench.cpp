// SPDX-License-Identifier: GPL-3.0-or-later
// data_bench [PERSONS]: writes PERSONS persons (default 10000) the way an import does, one
// unit per person: the person record through the person table, then three education
// inserts and their update, three appointments and two assessments through the statement
// runner. Prints the time taken, in all and per part.

#include "data/Connection.h"
#include "data/PersonTable.h"
#include "data/Schema.h"
#include "data/StatementRunner.h"
#include "text/Encoding.h"
#include "text/GbkText.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using wb::operator""_ascii;

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const int persons = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir dir;
    const std::string path =
        QDir(dir.path()).filePath(QStringLiteral("wagebook.mdb")).toStdString();
    wb::createDatabase(path, true);

    wb::Connection connection(path);
    wb::PersonTable table(connection, "ryjbxx");
    wb::StatementRunner runner(connection);
    table.open();

    const wb::Gbk name = wb::gbk("张三丰");
    const wb::Gbk fullTime = wb::gbk("全日制");
    const wb::Gbk status = wb::gbk("干部");
    Clock::duration inPerson{}, inStatements{}, inUnits{};
    const auto run = [&](wb::Gbk text) {
        runner.setText(std::move(text));
        runner.exec();
    };

    const Clock::time_point start = Clock::now();
    for (int i = 0; i < persons; ++i) {
        Clock::time_point t = Clock::now();
        connection.database().beginUnit();
        inUnits += Clock::now() - t;

        t = Clock::now();
        table.append();
        table.setText("bm", "0101"_ascii);
        table.setInteger("jxqyf", 12);
        table.setText("jkzk", "10"_ascii);
        table.setText("xm", name);
        table.setCell("bh", wb::CellValue::ofNumber(i + 1));
        table.setCell("sfzh", wb::CellValue::ofText("110101197001010011"_ascii));
        table.setText("csny", "1970-01-01"_ascii);
        table.setText("gzsj", "1990-07-15"_ascii);
        table.setCell("grsf", wb::CellValue::ofText(status));
        table.setText("sylb", "1"_ascii);
        table.post();
        const wb::Gbk key = wb::decimal(table.id());
        inPerson += Clock::now() - t;

        t = Clock::now();
        for (const wb::Ascii date : {"1986-07-1"_ascii, "1990-07-1"_ascii, "1995-07-1"_ascii})
            run("insert into ryxl (mid,xxxs,xlrq,xldm) values ("_ascii + key + ",'"_ascii +
                fullTime + "','"_ascii + date + "','21')"_ascii);
        run("update ryxl set dzysxl=2 where mid="_ascii + key + " and xlrq=#1990-07-1#"_ascii);
        for (const wb::Ascii date : {"1990-07-1"_ascii, "2006-06-1"_ascii, "2008-03-1"_ascii})
            run("insert into ryrz (mid,rzrq,gzzwdm,gwzwdm ) values ("_ascii + key + ",'"_ascii +
                date + "','3601','0301')"_ascii);
        for (const wb::Ascii year : {"2007"_ascii, "2008"_ascii})
            run("insert into rykh (mid,khnd,khjg ) values ("_ascii + key + ',' + year +
                ",1)"_ascii);
        inStatements += Clock::now() - t;

        t = Clock::now();
        connection.database().commitUnit();
        inUnits += Clock::now() - t;
    }
    const double total = seconds(Clock::now() - start);
    const double statements = persons * 9.0;
    std::printf("%d persons, %.0f statements, %d posts: %.3f s (%.1f us per person)\n", persons,
                statements, persons, total, total / persons * 1e6);
    std::printf("  person records  %.3f s (%.2f us each)\n", seconds(inPerson),
                seconds(inPerson) / persons * 1e6);
    std::printf("  statements      %.3f s (%.2f us each)\n", seconds(inStatements),
                seconds(inStatements) / statements * 1e6);
    std::printf("  begin + commit  %.3f s (%.2f us per unit)\n", seconds(inUnits),
                seconds(inUnits) / persons * 1e6);
    return 0;
}
