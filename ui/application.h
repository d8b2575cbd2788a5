// The application object, and the message of a failure the program shows.
#pragma once

#include <QApplication>
#include <QString>

namespace ottomix {

class Application : public QApplication {
    Q_OBJECT

  public:
    Application(int& argc, char** argv);
};

// The message of the exception being handled, for showFailure(): its text
// with bytes shown as file names are, or "Unknown exception" for one that
// carries none. Call it from a catch block.
QString currentExceptionMessage();

}  // namespace ottomix
