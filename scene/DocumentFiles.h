// Document files on disk: a whole file read into memory with its size checked first, and a
// save that never loses the previous file (a temporary file in the same folder, every write
// and the flush checked, then renamed over the old one).
#pragma once

#include <string>
#include <vector>

#include "document/MapDocument.h"

struct FileOutcome {
    DocumentError Code = DocumentError::None;
    // The system's text when the file itself could not be opened, read or written.
    std::string SystemText;
    bool Ok() const { return Code == DocumentError::None && SystemText.empty(); }
};

// Reads and checks a document; Out changes only when the outcome is Ok.
FileOutcome LoadDocumentFile(const std::string& Path, MapDocument& Out);

FileOutcome SaveDocumentFile(const std::string& Path, const MapDocument& D);
