#include "widgets/window_look/light_palette.h"

#include <QApplication>
#include <QToolTip>
#include <QWidget>

namespace ottomix {

QPalette lightPalette() {
    static const QPalette palette = [] {
        // Fusion's light colours, written out: Fusion's own palette follows a
        // dark desktop scheme. Every role of every group is set, so nothing of
        // the application's palette shows through.
        struct Role {
            QPalette::ColorRole role;
            QRgb normal;
            QRgb disabled;
        };
        // A darker highlight than Fusion's blue, whose white text reaches only
        // 3.7 : 1; this one 5.3 : 1.
        const Role roles[] = {
            {QPalette::WindowText, 0xff000000, 0xffbebebe},
            {QPalette::Button, 0xffefefef, 0xffefefef},
            {QPalette::Light, 0xffffffff, 0xffffffff},
            {QPalette::Midlight, 0xffcacaca, 0xffcacaca},
            {QPalette::Dark, 0xff9f9f9f, 0xffbebebe},
            {QPalette::Mid, 0xffb8b8b8, 0xffb8b8b8},
            {QPalette::Text, 0xff000000, 0xffbebebe},
            {QPalette::BrightText, 0xffffffff, 0xffffffff},
            {QPalette::ButtonText, 0xff000000, 0xffbebebe},
            {QPalette::Base, 0xffffffff, 0xffefefef},
            {QPalette::Window, 0xffefefef, 0xffefefef},
            {QPalette::Shadow, 0xff767676, 0xffb1b1b1},
            {QPalette::Highlight, 0xff2670a8, 0xff919191},
            {QPalette::HighlightedText, 0xffffffff, 0xffffffff},
            {QPalette::Link, 0xff0000ff, 0xff0000ff},
            {QPalette::LinkVisited, 0xffff00ff, 0xffff00ff},
            {QPalette::AlternateBase, 0xfff7f7f7, 0xfff7f7f7},
            {QPalette::ToolTipBase, 0xffffffdc, 0xffffffdc},
            {QPalette::ToolTipText, 0xff000000, 0xff000000},
            {QPalette::PlaceholderText, 0x80000000, 0x80000000},
        };
        QPalette all;
        for (const Role& r : roles) {
            for (const auto group : {QPalette::Active, QPalette::Inactive})
                all.setColor(group, r.role, QColor::fromRgba(r.normal));
            all.setColor(QPalette::Disabled, r.role, QColor::fromRgba(r.disabled));
        }
        return all;
    }();
    return palette;
}

void useLightPalette(QWidget* window) {
    static const bool everywhere = [] {
        const QPalette light = lightPalette();
        QApplication::setPalette(light);
        // The classes Qt gives a platform theme's palettes of their own.
        for (const char* className :
             {"QAbstractButton",  "QToolButton",    "QCheckBox",         "QRadioButton",
              "QComboBox",        "QHeaderView",    "QAbstractItemView", "QMessageBoxLabel",
              "QTabBar",          "QLabel",         "QGroupBox",         "QMenu",
              "QMenuBar",         "QTextEdit",      "QTextControl",      "QLineEdit",
              "QAbstractSpinBox", "QPlainTextEdit", "QProgressBar",      "QScrollBar"})
            QApplication::setPalette(light, className);
        QToolTip::setPalette(light);
        return true;
    }();
    (void)everywhere;
    window->setPalette(lightPalette());
}

}  // namespace ottomix
