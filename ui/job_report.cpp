#include "ui/job_report.h"

#include <QCoreApplication>
#include <QStringList>

#include "ui/browser/display_name.h"
#include "ui/message_text.h"

namespace ottomix {

namespace {

// The context of the report's texts.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(ottomix::JobReport)
};

QString byteCount(std::uint64_t n) {
    return n == 1 ? Text::tr("1 byte") : Text::tr("%1 bytes").arg(n);
}

QString baseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return displayName(slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

JobReport describeJob(const JobRequest& request, const JobResult& result) {
    const std::uint64_t loneCr = result.loneCrDropped;
    const bool encrypt = request.direction == Direction::Encrypt;
    JobReport report;
    report.caption = encrypt ? Text::tr("Encrypt") : Text::tr("Decrypt");
    // Nothing selected, or cancelled (the progress window says so): nothing to say.
    if (result.silent() || result.status == JobStatus::Stopped) return report;
    if (result.status == JobStatus::InputIsOutput) {
        report.text = coreText(result.describe()) +
                      Text::tr(".\n\nSelect another file, or rename this one first.");
        return report;
    }
    if (!result.ok()) {
        report.text = coreText(result.describe()) + u'.';
        return report;
    }
    if (request.mode != Mode::Text || !encrypt) return report;

    const std::uint64_t dropped = loneCr + result.bytesAfterMark;
    const bool unsafe = result.unsafeValues > 0 && result.firstUnsafeOffset >= 0;
    if (dropped == 0 && !unsafe) return report;

    QString text = Text::tr(
                       "%1 has been encrypted to %2, but Text Mode could not keep all "
                       "of it:\n")
                       .arg(baseName(request.input),
                            QString::fromLatin1(outputName(request.direction, request.mode)));
    if (dropped > 0) {
        QStringList parts;
        if (loneCr > 0)
            parts << (loneCr == 1 ? Text::tr("1 lone CR byte")
                                  : Text::tr("%1 lone CR bytes").arg(loneCr));
        if (result.bytesAfterMark > 0)
            parts << Text::tr("%1 from the end-of-file mark (Ctrl-Z) on")
                         .arg(byteCount(result.bytesAfterMark));
        text += Text::tr("\n- %1 left out by the text rules (%2).")
                    .arg(byteCount(dropped), parts.join(QStringLiteral(", ")));
    }
    if (unsafe) {
        const auto tail = result.bytes - static_cast<std::uint64_t>(result.firstUnsafeOffset);
        text += Text::tr(
                    "\n- The last %1 will not decrypt back: the encrypted text holds %2 that "
                    "Text Mode cannot store (CR or Ctrl-Z).")
                    .arg(byteCount(tail), result.unsafeValues == 1
                                              ? Text::tr("1 value")
                                              : Text::tr("%1 values").arg(result.unsafeValues));
    }
    text += Text::tr("\n\nBinary Mode keeps every byte of a file.");
    report.text = text;
    return report;
}

}  // namespace ottomix
