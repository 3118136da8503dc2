#pragma once
// Checks JSON text against the scan's published schema (docs/) with an
// independent validator, Debian's python3-jsonschema.
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace hs::test {

// What the validator says is wrong with `json`; "" when it is valid.
inline std::string ScanJsonSchemaComplaint(const std::string& json) {
  char path[] = "/tmp/hs-scan-json-XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0) return "no temporary file";
  ::close(fd);
  std::ofstream(path, std::ios::binary) << json;
  const std::string command =
      "python3 -c 'import json, sys, jsonschema\n"
      "schema = json.load(open(sys.argv[1]))\n"
      "jsonschema.Draft202012Validator.check_schema(schema)\n"
      "jsonschema.Draft202012Validator(schema).validate(json.load(open(sys.argv[2], "
      "encoding=\"utf-8\")))' '" HS_SOURCE_ROOT "/docs/scan-json-schema-2.json' '" +
      std::string(path) + "' 2>&1";
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      output.append(buffer, n);
    const int status = ::pclose(pipe);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
      output.clear();
    else if (output.empty())
      output = "the validator failed";
  }
  ::unlink(path);
  return output;
}

}  // namespace hs::test
