// Form1, the main window: the file browser, the mode switch, the cipher
// buttons, the viewer page and the menu.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <string>

#include "core/cipher_job.h"
#include "core/job_progress.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;

namespace ottomix {

class AboutWindow;
class DirectoryTree;
class DriveSelector;
class FileList;
class GlyphButton;
class TextViewer;

class TForm1 : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr int kClientWidth = 500;
    static constexpr int kClientHeight = 306;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The progress window every job reports to, and the About window; start-up
    // sets both. Without them jobs report nowhere and About does nothing.
    void SetProgressWindow(JobProgress* progress);
    void SetAboutWindow(AboutWindow* about);

    // The client area under the menu bar; the controls' positions count from it.
    QWidget* Client() const { return client_; }

    // State.
    bool text_mode = true;   // true: Text Mode, false: Binary Mode
    double file_size = 0.0;  // byte count + 1 of the last counting pass

    // Controls, in creation order.
    QLabel* Image1;
    TextViewer* RichEdit1;
    DirectoryTree* DirectoryListBox1;
    FileList* FileListBox1;
    DriveSelector* DriveComboBox1;
    GlyphButton* BitBtn1;
    GlyphButton* Encrypt;
    GlyphButton* Decrypt;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    GlyphButton* BitBtn2;
    QPushButton* Button1;
    // MainMenu1 is the window's menu bar.
    QMenu* System1;
    QAction* Quit1;
    QAction* About1;

    // Event handlers.
    void FormCreate();
    void RadioButton1Click();
    void RadioButton2Click();
    void FileListBox1Click();
    void BitBtn2Click();
    void Button1Click();
    void EncryptClick();
    void DecryptClick();
    [[noreturn]] void BitBtn1Click();
    [[noreturn]] void Quit1Click();
    void About1Click();

    // What the user is told after a job (empty text: nothing). Public so the
    // wording can be checked without running a job into a failure.
    struct JobReport {
        QString caption;
        QString text;
    };
    static JobReport DescribeJob(const JobRequest& request, const JobResult& result,
                                 std::uint64_t lone_cr);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void RunJob(Direction direction);
    // The viewer with its Ok button, or the browser page with everything else.
    void ShowViewerPage(bool viewer);

    QWidget* client_;
    JobProgress* progress_;
    NullProgress no_progress_;
    AboutWindow* about_ = nullptr;
    bool shown_before_ = false;
};

}  // namespace ottomix
