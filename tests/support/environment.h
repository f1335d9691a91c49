// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#ifdef _WIN32
#include <cstdlib>

#include "support/utf8_path.h"
#endif

namespace quorvel::test {

#ifdef _WIN32
inline std::wstring wideText(const std::string& utf8) {
    return utf8Path(utf8).wstring();
}
#endif

// Sets an environment variable (UTF-8) for this process and the programs it starts.
inline void setEnvironment(const std::string& name, const std::string& value) {
#ifdef _WIN32
    // The C runtime keeps its own copy of the environment (getenv and tzset read it); its
    // _wputenv_s updates that copy and the process's environment alike.
    _wputenv_s(wideText(name).c_str(), wideText(value).c_str());
#else
    ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

inline void unsetEnvironment(const std::string& name) {
#ifdef _WIN32
    _wputenv_s(wideText(name).c_str(), L"");  // an empty value removes the variable
#else
    ::unsetenv(name.c_str());
#endif
}

}  // namespace quorvel::test
