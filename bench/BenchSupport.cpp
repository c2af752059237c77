#include "BenchSupport.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

namespace bench {

// A track folder whose info file holds the usual editor tags and then `lines` further tag
// lines of about 30 bytes each, with and without comments, CR LF as the game writes them.
QString makeLargeTrack(const QString& scratch, const QString& name, int lines)
{
    const QString folder = scratch + QLatin1Char('/') + name;
    QDir().mkpath(folder);
    std::ostringstream text;
    text << ";----------------------------\r\n; Tarvex .INF file structure\r\n"
            ";----------------------------\r\n\r\n"
            "NAME\t\t'Big Track by Bench'\r\nFARCLIP\t\t6000\r\nFOGSTART\t4000\r\n"
            "FOGCOLOR\t64 96 160\r\nVERTFOGSTART\t-2000\r\nVERTFOGEND\t0\r\n"
            "WORLDRGBPER\t80\r\nMODELRGBPER\t70\r\nINSTANCERGBPER\t60\r\n";
    for (int i = 0; i < lines - 9; ++i) {
        text << "OBJECT" << i << "\t\t" << (i % 977) << ' ' << (i % 13) << " 0 " << (i % 256);
        if (i % 3 == 0)
            text << "\t\t; note " << i % 100;
        text << "\r\n";
    }
    QFile file(folder + QLatin1Char('/') + name + QStringLiteral(".inf"));
    const std::string bytes = text.str();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
        fail("cannot write the large info file");
    return folder;
}

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string formatMs(double milliseconds)
{
    char text[32];
    std::snprintf(text, sizeof text, milliseconds < 10 ? "%.2f ms" : "%.1f ms", milliseconds);
    return text;
}

std::string formatKb(long kilobytes)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", double(kilobytes) / 1024.0);
    return text;
}

std::string formatRatio(double ratio)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", ratio);
    return text;
}

bool Table::print() const
{
    const std::vector<std::string> headings{"Figure", "Kite", "Baseline", "Ratio", "Target", ""};
    std::vector<size_t> widths(headings.size());
    for (size_t c = 0; c < headings.size(); ++c)
        widths[c] = headings[c].size();
    const auto cells = [](const Row& row) {
        return std::vector<std::string>{row.figure,   row.measured,
                                        row.baseline, formatRatio(row.ratio),
                                        row.target,   row.met ? "met" : "MISSED"};
    };
    for (const Row& row : m_rows) {
        const std::vector<std::string> line = cells(row);
        for (size_t c = 0; c < line.size(); ++c)
            widths[c] = std::max(widths[c], line[c].size());
    }
    const auto printLine = [&](const std::vector<std::string>& line) {
        std::string out = "|";
        for (size_t c = 0; c < line.size(); ++c)
            out += " " + line[c] + std::string(widths[c] - line[c].size(), ' ') + " |";
        std::cout << out << '\n';
    };
    printLine(headings);
    std::string rule = "|";
    for (size_t width : widths)
        rule += std::string(width + 2, '-') + "|";
    std::cout << rule << '\n';
    bool allMet = true;
    for (const Row& row : m_rows) {
        printLine(cells(row));
        allMet = allMet && row.met;
    }
    for (const Row& row : m_rows) {
        if (!row.note.empty())
            std::cout << "  " << row.figure << ": " << row.note << '\n';
    }
    std::cout << (allMet ? "Every target met.\n" : "Some targets were MISSED.\n");
    return allMet;
}

size_t readAndSplit(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines.size();
}

void fail(const std::string& what)
{
    std::cerr << "benchmark failed: " << what << std::endl;
    std::exit(2);
}

} // namespace bench
