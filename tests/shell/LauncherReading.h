#pragma once
// Reading a freedesktop launcher back as a desktop does (Linux): its keys, string values and Exec arguments.
#include <map>
#include <string>
#include <vector>

// Every "key=value" line; a key of a later group replaces one of an earlier group.
inline std::map<std::string, std::string> LauncherKeys(const std::string& text) {
    std::map<std::string, std::string> keys;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            keys[line.substr(0, equals)] = line.substr(equals + 1);
        start = end + 1;
    }
    return keys;
}

// How a desktop reads a string value: "\\", "\n", "\t", "\r" escapes.
inline std::string UnescapeValue(const std::string& value) {
    std::string unescaped;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            unescaped += next == 'n' ? '\n' : next == 't' ? '\t' : next == 'r' ? '\r' : next;
        } else {
            unescaped += value[i];
        }
    }
    return unescaped;
}

// How a desktop reads an Exec value: the value escapes, then the quoting of each argument, with
// "%%" as a literal percent and other field codes left as their own arguments.
inline std::vector<std::string> ExecArguments(const std::string& value) {
    const std::string unescaped = UnescapeValue(value);
    std::vector<std::string> arguments;
    std::string current;
    bool quoted = false, any = false;
    for (size_t i = 0; i < unescaped.size(); ++i) {
        const char c = unescaped[i];
        if (quoted && c == '\\' && i + 1 < unescaped.size()) {
            current += unescaped[++i];
        } else if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == '%' && i + 1 < unescaped.size() && unescaped[i + 1] == '%') {
            current += '%';
            ++i;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any)
                arguments.push_back(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        arguments.push_back(current);
    return arguments;
}
