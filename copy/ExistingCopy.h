#pragma once
// "Пропускать файлы, которые уже есть на сервере": whether the server holds a file of the job already, decided from
// the listing of its remote folder (taken once a job per folder, before any walk to it), so that a skipped file
// costs no round trip of its own where the listing tells sizes and times. A folder its parent's listing does not
// show is not asked for.

#include "copy/UploadConnection.h"

#include <string>

class TUploadHost;

namespace copyjob {

// Whether the server holds `local` under `remote` as an upload would leave it: a plain file of the same size, not
// older than the local file where the server tells times. A folder that cannot be listed whole answers no. A failing
// connection throws.
bool AlreadyOnServer(TUploadHost& host, const std::string& local, const std::string& remote);

// A walk to the remote `folder` made folders: they hold nothing yet, and are not listed.
void NoteMadeFolders(TUploadHost& host, const std::string& folder, const TFolderWalk& walk);

} // namespace copyjob
