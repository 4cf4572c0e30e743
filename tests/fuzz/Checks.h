#pragma once
// What must hold for any input the fuzz targets are given; the corpus replay
// runs every stored input through the same checks in each ordinary build.
#include <QByteArray>

#include <memory>
#include <string>

namespace fuzzchecks {

// Reads the bytes as a colour file: colours and names in step and in range,
// a stop reported at the record after the last one kept, and what was read
// read back the same once written. Empty when all hold, else what broke.
std::string CheckColourFile(const QByteArray& bytes);

// The settings start-up reads, one stored value a line (missing lines are
// missing settings), given to a real main window's start-up, built once and
// started again for each input. Needs a QApplication.
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
