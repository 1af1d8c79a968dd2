#pragma once

#include <QDialog>
#include <functional>

// The windows open every modal dialog through DialogRunner::run(), which calls
// exec(). A test installs a driver instead: it receives the dialog object (shown
// but not modal-looping), drives it through its controls and returns the result
// code, so no test ever blocks in exec().
namespace DialogRunner {

using Driver = std::function<int(QDialog &)>;

int run(QDialog &dialog);
void install(Driver driver);   // an empty function restores exec()

// RAII for tests: installs a driver for the lifetime of the object.
class Scoped
{
public:
    explicit Scoped(Driver driver) { install(std::move(driver)); }
    ~Scoped() { install({}); }
    Scoped(const Scoped &) = delete;
    Scoped &operator=(const Scoped &) = delete;
};

} // namespace DialogRunner
