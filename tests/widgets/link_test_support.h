// Shared helpers of the hyperlink tests: recorded launches and messages.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

#include "widgets/hyperlink_label.h"

// A link made in code with its type and caption.
inline std::unique_ptr<THyperLink> NewLink(TLinkType type, const QString& caption) {
    auto link = std::make_unique<THyperLink>();
    link->SetLinkType(type);
    link->SetCaption(caption);
    return link;
}

// Records what would be launched instead of starting anything.
class LaunchRecorder {
  public:
    explicit LaunchRecorder(int result = kLaunchSucceeded) : result_(result) {
        previous_ = SetLaunchFunction([this](const QString& program, const QString& target) {
            launches.emplace_back(program, target);
            return result_;
        });
    }
    ~LaunchRecorder() { SetLaunchFunction(std::move(previous_)); }
    LaunchRecorder(const LaunchRecorder&) = delete;
    LaunchRecorder& operator=(const LaunchRecorder&) = delete;

    void SetResult(int result) { result_ = result; }
    QStringList Targets() const {
        QStringList targets;
        for (const auto& launch : launches) targets << launch.second;
        return targets;
    }

    std::vector<std::pair<QString, QString>> launches;

  private:
    int result_;
    LaunchFn previous_;
};

// Collects message-box texts instead of showing them.
class MessageRecorder {
  public:
    MessageRecorder() {
        previous_ = SetMessageFunction([this](const QString& text) { messages << text; });
    }
    ~MessageRecorder() { SetMessageFunction(std::move(previous_)); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QStringList messages;

  private:
    MessageFn previous_;
};
