#pragma once
// The findings as a text report (the "Save to Text File" command and the
// console scan) and as JSON for scripts.
#include <string>
#include <vector>

#include "scan/Finding.h"

namespace hs {

extern const char* const kMakerWebAddress;
extern const char* const kReportSeparator;  // "  #####  "

// The report's lines in engine text (UTF-8), without line ends: three header
// lines, then one line per finding in list order, checked or not.
std::vector<std::string> ReportLines(const std::vector<Finding>& rows);

struct ReportBytes {
  std::string bytes;      // Windows-1252, every line ended by CR LF
  std::size_t lossy = 0;  // characters written as '?'
};

// The report as the file holds it. A character the code page cannot carry
// becomes '?'. A line break or other control character inside a registry
// text (a tab is kept) is written as "\u" and four hex digits ("\u000D",
// "\u000A"), so that each finding stays on one line. Backslashes stay as
// they are (registry paths are full of them, "\r" or "\n" would clash with
// "\run" and "\new"); only a run of them just before such an escape, or
// before text that reads like one ("\u0041"), is doubled. So an odd run of
// backslashes before "uXXXX" ends in an escape, an even run does not.
ReportBytes RenderReport(const std::vector<Finding>& rows);

// The findings as a JSON array of {"problem","key","value","kind","task"}
// objects, one per line, UTF-8. Invalid UTF-8 in a text becomes U+FFFD and
// every control character is escaped, so the output is always valid JSON.
std::string FindingsToJson(const std::vector<Finding>& rows);
// One finding's members, without the braces around them: "problem", "key",
// "value", "kind", "task". Other JSON outputs add their own after them.
std::string FindingJsonMembers(const Finding& row);
std::string JsonQuoted(const std::string& text);

// The file name the report is written to: ".txt" is appended unless the
// chosen name's extension is exactly ".txt" (so "a.TXT" becomes "a.TXT.txt").
std::string ReportFileName(const std::string& chosen);
// The question asked before an existing file is replaced (the texts are the
// program's own and not translated).
std::string OverwriteQuestion(const std::string& fullPath);

}  // namespace hs
