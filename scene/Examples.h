// The example maps: documents built into the program, each with a title and a one-line
// description, in the order the File menu lists them.
#pragma once

#include <string>
#include <vector>

#include "document/MapDocument.h"

struct ExampleMap {
    std::string Name;         // the document's name without ".tvn", as the renderer takes it
    std::string Title;        // as the menu shows it
    std::string Description;  // one line
};

// Every example, read once from the index.
const std::vector<ExampleMap>& Examples();

// The named example; null when there is none.
const ExampleMap* FindExample(const std::string& Name);

// Reads the named example's document through the document reader; D changes only when the
// outcome is None.
DocumentError ReadExample(const std::string& Name, MapDocument& D);
