#pragma once

#include <cstdio>
#include <string>
#include <vector>

// One line of the benchmark table: what was measured, on what, the baseline's and our figure,
// their ratio and the target it must meet. The editor bench sends its rows to the main bench in
// the same tab-separated form, so that one table shows every target.
struct CBenchRow
{
    std::string measure;
    std::string workload;
    std::string baseline;
    std::string ours;
    std::string ratio;
    std::string target;
    bool met = false;
    // A figure shown beside the targets to explain them, met or not by no one.
    bool informative = false;
};

inline const char* MetText(const CBenchRow& row)
{
    return row.informative ? "-" : row.met ? "yes" : "NO";
}

inline std::string FormatNumber(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

inline std::string RowLine(const CBenchRow& row)
{
    return row.measure + '\t' + row.workload + '\t' + row.baseline + '\t' + row.ours + '\t' + row.ratio + '\t' +
           row.target + '\t' + MetText(row);
}
