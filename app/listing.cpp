#include "app/listing.h"

#include <cstdio>

#include "app/menus.h"

int document_line_count(const PageStore& store, int document)
{
    if (document < 1 || document > PAGE_DOCUMENTS) return 0;
    const auto& lines = store.lines[document];
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].text.compare(0, 5, "<END>") == 0) return static_cast<int>(i);
    return static_cast<int>(lines.size());
}

std::string document_listing(const PageStore& store)
{
    std::string out;
    for (int d = 1; d <= PAGE_DOCUMENTS; ++d) {
        out += std::to_string(d);
        out += '\t';
        out += std::to_string(document_line_count(store, d));
        out += '\t';
        out += d <= MENU_ENTRIES ? menu_entries[d].label : std::string();
        out += '\n';
    }
    return out;
}

bool list_documents()
{
    fill_page_store();
    build_issue_strings();
    std::string text = document_listing(page_store);
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
}
