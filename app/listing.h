// The document list printed by --list-documents.
#pragma once
#include <string>

#include "app/pages.h"

// Lines before the first "<END>" terminator of document d (the whole stored column when
// it has none).
int document_line_count(const PageStore& store, int document);
// "NUMBER<TAB>LINES<TAB>LABEL" for documents 1...20, one line each.
std::string document_listing(const PageStore& store);
// Fills the page store and the menu table and prints the listing; false on a write error.
bool list_documents();
