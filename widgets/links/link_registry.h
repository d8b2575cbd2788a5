// What the hyperlink labels of a process share.
//
// The registry keeps every live link and two caption lists, visited and not
// yet visited, compared without case. A link's visited state follows the
// list its caption is in, so opening one link turns every link with the
// same caption visited. A caption leaves the lists when its last link goes.
// It also keeps one program per link type for opening ("Open with..."); an
// empty program means the desktop's handler.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

#include "widgets/links/link_types.h"

class QDialog;
class QFileDialog;

namespace ottomix {

class HyperlinkLabel;

// What unregisterLink() throws for a link the registry does not hold.
inline constexpr char kNotRegisteredError[] = "Detaching Control that is not registered?";
// What saveCaptionList() tells the user, followed by the file name, and then throws.
inline constexpr char kSaveFailedMessage[] = "Could not save to file:";
inline constexpr char kSaveFileError[] = "SaveFileError";
// The title of the "Open with..." chooser.
inline constexpr char kChooserTitle[] = "Select application for ...";

class LinkRegistry {
  public:
    // The registry of the process, created before the first link needs it.
    static LinkRegistry& instance();

    virtual ~LinkRegistry();
    LinkRegistry(const LinkRegistry&) = delete;
    LinkRegistry& operator=(const LinkRegistry&) = delete;

    // Files the link's caption under its visited state, or takes the visited
    // state of the caption's list, and adds the link if it is new.
    void registerLink(HyperlinkLabel* link);
    // Throws std::runtime_error(kNotRegisteredError) for a link it does not hold.
    void unregisterLink(HyperlinkLabel* link);
    // The link's visited state changed: moves its caption and updates the other links.
    void visitedChanged(HyperlinkLabel* link);
    // The link's caption is about to become newCaption, which takes the link's state.
    void captionChanging(HyperlinkLabel* link, const QString& newCaption);
    // Sets every link's visited state from the list its caption is in.
    void syncLinks();
    // Asks the link's open handlers, launches its target with the program of
    // its type and marks it visited if that worked. An invalid target (see
    // isValidLaunchTarget()) launches nothing and gives kLaunchInvalidTarget.
    void openLink(HyperlinkLabel* link);
    // "Open with...": lets the user pick the program for the link's type.
    void chooseApplication(HyperlinkLabel* link);
    // Shows the link's properties window modally.
    void showLinkProperties(HyperlinkLabel* link);
    // The program that opens links of a type; empty for the desktop's handler.
    QString typeApplication(LinkType type) const;

    // Writes one caption per line (CR LF); on failure tells the user and
    // throws std::runtime_error(kSaveFileError).
    virtual void saveCaptionList(bool notVisited, const QString& fileName);
    // Returns the previous program of the type.
    virtual QString setTypeApplication(LinkType type, const QString& path);
    // Marks every caption, and so every link, not visited.
    virtual void resetVisited();

    // The chooser of "Open with...", configured but not shown; owned by the caller.
    std::unique_ptr<QFileDialog> createChooser() const;
    // The properties window of a link, built and placed but not shown.
    std::unique_ptr<QDialog> createLinkProperties(HyperlinkLabel* link) const;

    bool isRegistered(const HyperlinkLabel* link) const;
    const std::vector<HyperlinkLabel*>& links() const { return links_; }
    const QStringList& visitedList() const { return visited_; }
    const QStringList& notVisitedList() const { return notVisited_; }

  protected:
    LinkRegistry();

  private:
    std::vector<HyperlinkLabel*> links_;
    QStringList notVisited_;
    QStringList visited_;
    std::array<QString, kLinkTypeCount> typeApplications_;
};

}  // namespace ottomix
