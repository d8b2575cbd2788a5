#include "ui/startup.h"

#include "ui/about_window.h"
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"

namespace ottomix {

int RunOttomix(int& argc, char** argv, const std::function<void(TForm1&)>& started) {
    Application app(argc, argv);
    try {
        app.setTitle(QString::fromLatin1(kApplicationTitle));
        TForm1 form1;
        AboutWindow aboutWindow;
        ProgressWindow progressWindow;
        form1.SetAboutWindow(&aboutWindow);
        form1.SetProgressWindow(&progressWindow);
        if (started) started(form1);
        form1.show();
        app.exec();
    } catch (...) {
        app.ShowCurrentException();
    }
    return 0;
}

}  // namespace ottomix
