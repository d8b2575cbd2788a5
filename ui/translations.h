// The program's translation for the user's language, with Qt's own for its
// dialogs and context menus. Where the program has none, every text stays
// English, Qt's included.
#pragma once

#include <QString>
#include <QTranslator>

namespace ottomix {

class Translations {
  public:
    // Loads for QLocale::system(); needs no application object.
    Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    bool loaded() const { return loaded_; }
    // Makes tr() use them; call once the application object exists, and keep
    // this object alive as long as it.
    void install();
    // `source` of `context` translated, or `source` itself; for what is said
    // before the application object exists (--help).
    QString translate(const char* context, const char* source) const;

  private:
    QTranslator program_;
    QTranslator qt_;
    bool loaded_ = false;
};

}  // namespace ottomix
