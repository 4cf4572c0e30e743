#pragma once
// What must hold for any input the fuzz targets are given. The fuzz targets
// stop at the first broken promise; the corpus replay test runs every stored
// input through the same checks in each ordinary build.
#include <QByteArray>

#include <memory>
#include <string>

namespace fuzzchecks {

// Reads the bytes as a colour file: colours and names stay in step, every
// colour is in range, a stop is reported at the record after the last one
// kept, and writing what was read and reading it again gives the same list.
// Empty when all hold, otherwise what broke.
std::string CheckColourFile(const QByteArray& bytes);

// The settings start-up reads, one stored value per line (missing lines are
// missing settings), given to a real main window's start-up. Needs a
// QApplication; the window is built once and started again for each input.
class StartupSettings {
public:
    StartupSettings();
    ~StartupSettings();
    std::string Check(const QByteArray& input);

private:
    struct Window;
    std::unique_ptr<Window> w_;
};

} // namespace fuzzchecks
