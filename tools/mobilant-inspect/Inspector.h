#pragma once

#include <string>
#include <vector>

// mobilant-inspect: runs the command given by `args` (the arguments after the program name)
// and returns the exit status: 0 done, 1 the model file is refused (not JSON, or not a model
// this system loads), 2 bad arguments or a file that cannot be read or written. What the
// command prints goes to `out` and `err`; an SVG goes to its file.
int runInspector(const std::vector<std::string>& args, std::string& out, std::string& err);
