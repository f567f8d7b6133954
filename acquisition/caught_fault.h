// Runs a piece of work and turns an exception out of it into its text, for the
// places that must not let one pass: run and replay control's handlers and the
// window's entry points that Qt calls.
#pragma once

#include <cstdio>
#include <exception>
#include <optional>
#include <string>

namespace korin {

// What is said of an exception that is no std::exception.
inline constexpr const char* kUnknownExceptionText = "an exception of unknown type";

// The console line of a fault.
inline void printInternalError(const std::string& reason) {
    std::printf("Internal error: %s\n", reason.c_str());
    std::fflush(stdout);
}

// The exception's text, or nothing when `body` returned.
template <typename F>
std::optional<std::string> caughtFault(F&& body) {
    try {
        body();
        return std::nullopt;
    } catch (const std::exception& e) {
        return std::string(e.what());
    } catch (...) {
        return std::string(kUnknownExceptionText);
    }
}

}  // namespace korin
