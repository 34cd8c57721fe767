#pragma once
// Starting a sibling program or opening a document with the desktop's handler. Never waits for
// what it started.

#include <functional>
#include <string>
#include <vector>

// What the program asked to start (8-bit texts, local encoding). `workingFolder` is the folder in
// effect after the empty-folder rule.
struct TRunRequest {
    std::string file;
    std::string parameters;
    std::string workingFolder;
};

// Starts `file` when it is an executable file, in `workingFolder`, with `parameters` split like a
// command line (a quoted path stays one argument, without its quotes); any other file is opened
// with the desktop's handler. An empty working folder means the file's own folder (empty when the
// path has no folder part). True when the request was accepted; a missing file is not.
bool RunProgram(const std::string& file, const std::string& parameters, const std::string& workingFolder);

namespace shell::testing {

// While a RunRecorder lives, RunProgram starts nothing: it records each request and answers
// `accept`.
class RunRecorder {
public:
    explicit RunRecorder(bool accept = true);
    ~RunRecorder();
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;

    const std::vector<TRunRequest>& requests() const { return requests_; }

private:
    std::vector<TRunRequest> requests_;
    std::function<bool(const TRunRequest&)> previous_;
};

} // namespace shell::testing
