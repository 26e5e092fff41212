// The message of the exception a call throws, or "(no exception)": for checking the
// program's exact texts.
#pragma once

#include <exception>
#include <string>

template <class F> std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no exception)";
}
