// What the main window tells the user when a job has ended: a failure's
// message, or what Text Mode could not keep of a file it encrypted.
#pragma once

#include <QString>

#include "core/cipher_job.h"

namespace ottomix {

struct JobReport {
    QString caption;  // "Encrypt" or "Decrypt"
    QString text;     // empty: nothing to tell
};

JobReport describeJob(const JobRequest& request, const JobResult& result);

}  // namespace ottomix
