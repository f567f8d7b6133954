// The window's boundary for exceptions. Qt calls our slots, event handlers and
// paints from inside its own dispatch, often inside a run loop's event pump, and
// an exception unwinding through Qt's frames is undefined behaviour. So every
// entry point of ours that Qt calls runs shielded: an exception stops there and
// is reported to the fault sink, which the main window routes to the run or
// replay in progress (it ends through its normal finish, with an alert).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "acquisition/caught_fault.h"

namespace korin::ui {

// Receives the text of every exception stopped at the boundary; with no sink
// installed the text is printed on the console. Installing one returns the
// sink it replaces, for its owner to put back.
using FaultSink = std::function<void(const std::string& reason)>;
FaultSink setFaultSink(FaultSink sink);
void reportFault(const std::string& reason);

// Runs `body`; no exception leaves it.
template <typename F>
void shielded(F&& body) noexcept {
    if (const std::optional<std::string> fault = caughtFault(body)) reportFault(*fault);
}

namespace detail {

template <typename F, typename C, typename... A>
auto shieldWith(F f, void (C::*)(A...) const) {
    return [f = std::move(f)](A... a) { shielded([&] { f(std::forward<A>(a)...); }); };
}
template <typename F, typename C, typename... A>
auto shieldWith(F f, void (C::*)(A...)) {
    return [f = std::move(f)](A... a) mutable { shielded([&] { f(std::forward<A>(a)...); }); };
}

}  // namespace detail

// A slot for QObject::connect that runs the lambda `f` shielded, with f's own parameters.
template <typename F>
auto shield(F f) {
    return detail::shieldWith(std::move(f), &F::operator());
}

}  // namespace korin::ui
