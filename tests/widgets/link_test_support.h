// Shared helpers of the hyperlink tests: recorded launches and messages.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#include "widgets/links/hyperlink_label.h"
#include "widgets/links/link_launcher.h"
#include "widgets/links/link_registry.h"
#include "widgets/window_look/user_message.h"

namespace ottomix {

// A link made in code with its type and caption.
inline std::unique_ptr<HyperlinkLabel> newLink(LinkType type, const QString& caption) {
    auto link = std::make_unique<HyperlinkLabel>();
    link->setLinkType(type);
    link->setCaption(caption);
    return link;
}

// Records what would be launched instead of starting anything.
class LaunchRecorder {
  public:
    explicit LaunchRecorder(int result = kLaunchSucceeded) : result_(result) {
        previous_ = setLaunchFunction([this](const QString& program, const QString& target) {
            launches.emplace_back(program, target);
            return result_;
        });
    }
    ~LaunchRecorder() { setLaunchFunction(std::move(previous_)); }
    LaunchRecorder(const LaunchRecorder&) = delete;
    LaunchRecorder& operator=(const LaunchRecorder&) = delete;

    void setResult(int result) { result_ = result; }
    QStringList targets() const {
        QStringList targets;
        for (const auto& launch : launches) targets << launch.second;
        return targets;
    }

    std::vector<std::pair<QString, QString>> launches;

  private:
    int result_;
    LaunchFunction previous_;
};

// Collects message-box texts instead of showing them.
class MessageRecorder {
  public:
    MessageRecorder() {
        previous_ = setMessageHook(
            [this](QMessageBox::Icon, const QString&, const QString& text) { messages << text; });
    }
    ~MessageRecorder() { setMessageHook(std::move(previous_)); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QStringList messages;

  private:
    MessageHook previous_;
};

}  // namespace ottomix
