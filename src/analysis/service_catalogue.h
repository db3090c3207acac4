// The built-in knowledge of the service: link kinds, request templates, list paths and field sets.
#pragma once

#include <string>
#include <vector>

#include "analysis/link_kind.h"

namespace velomir {

struct CatalogueEntry {
    int index = 0;
    std::string key;
    std::string label;
    std::string templateText;  // request address with {id}, {n} and {u} placeholders
};

class ServiceCatalogue {
public:
    // Parses the built-in texts; does nothing once the catalogue holds an entry.
    void loadCatalogue();

    int entryCount() const { return static_cast<int>(entries_.size()); }
    // REQUIRES: 0 <= kind < entryCount().
    const CatalogueEntry& entry(int kind) const { return entries_.at(kind); }
    // The list path of a kind; empty for a kind outside the catalogue.
    std::string listPath(int kind) const;
    const std::vector<std::string>& trackFieldSet() const { return trackFields_; }
    const std::vector<std::string>& programmeFieldSet() const { return programmeFields_; }
    const std::vector<std::string>& searchFieldSet() const { return searchFields_; }

    // The field set the extraction reads for a kind, and the record type its items get.
    const std::vector<std::string>& fieldSetOfKind(int kind) const;
    static int recordTypeOfKind(int kind);

    static constexpr int searchKind() { return kindIndex(LinkKind::Search); }

private:
    std::vector<CatalogueEntry> entries_;
    std::vector<std::string> listPaths_;
    std::vector<std::string> trackFields_;
    std::vector<std::string> programmeFields_;
    std::vector<std::string> searchFields_;
};

// The process-wide catalogue, loaded on first use.
const ServiceCatalogue& serviceCatalogue();

}  // namespace velomir
