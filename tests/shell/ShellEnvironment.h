#pragma once
// A private home for one test: HOME, XDG_DATA_HOME and XDG_CONFIG_HOME point into a temporary
// folder while it lives, so shortcuts and Send To entries never touch the real user's files.
#include <QByteArray>
#include <QTemporaryDir>
#include <string>

class ShellEnvironment {
public:
    ShellEnvironment();
    ~ShellEnvironment();
    ShellEnvironment(const ShellEnvironment&) = delete;
    ShellEnvironment& operator=(const ShellEnvironment&) = delete;

    std::string home() const;    // with a trailing "/"
    std::string desktop() const; // home() + "Desktop/", created
    std::string sendTo() const;  // the Send To folder under the private data home

private:
    QTemporaryDir dir_;
    QByteArray savedHome_, savedData_, savedConfig_;
};

// Reads a whole file; empty when missing.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
