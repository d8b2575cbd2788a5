#include "ui/startup.h"

#include "ui/about_window.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"

namespace ottomix {

int runOttomix(int& argc, char** argv, const std::function<void(MainWindow&)>& started) {
    Application app(argc, argv);
    try {
        app.setTitle(QString::fromLatin1(kApplicationTitle));
        MainWindow main_window;
        AboutWindow about_window;
        ProgressWindow progress_window;
        main_window.setAboutWindow(&about_window);
        main_window.setProgressWindow(&progress_window);
        if (started) started(main_window);
        main_window.show();
        app.exec();
    } catch (...) {
        app.showCurrentException();
    }
    return 0;
}

}  // namespace ottomix
