// The built-in knowledge of the service: request addresses and the answer fields of every kind.
#pragma once

#include <string>
#include <vector>

#include "analysis/link_kind.h"

namespace velomir {

struct CatalogueEntry {
    LinkKind kind = LinkKind::Unrecognised;
    std::string key;
    std::string templateText;  // request address with {id}, {n} and {u} placeholders
};

class ServiceCatalogue {
public:
    // Builds the entries from the kind table and parses the field texts; does nothing once it holds an entry.
    void loadCatalogue();

    int entryCount() const { return static_cast<int>(entries_.size()); }
    // REQUIRES: kind is not Unrecognised.
    const CatalogueEntry& entry(LinkKind kind) const { return entries_.at(static_cast<std::size_t>(kindIndex(kind))); }
    const std::vector<CatalogueEntry>& entries() const { return entries_; }
    // The list path of a kind; empty for unrecognised input.
    static std::string listPath(LinkKind kind) { return std::string(kindTraits(kind).listPath); }
    const std::vector<std::string>& trackFieldSet() const { return trackFields_; }
    const std::vector<std::string>& programmeFieldSet() const { return programmeFields_; }
    const std::vector<std::string>& searchFieldSet() const { return searchFields_; }

    // The answer fields the extraction reads for a kind, and the record type its items get.
    const std::vector<std::string>& fieldSetOfKind(LinkKind kind) const;
    static RecordType recordTypeOfKind(LinkKind kind) { return kindTraits(kind).recordType; }

private:
    std::vector<CatalogueEntry> entries_;
    std::vector<std::string> trackFields_;
    std::vector<std::string> programmeFields_;
    std::vector<std::string> searchFields_;
};

// The process-wide catalogue, loaded on first use.
const ServiceCatalogue& serviceCatalogue();

}  // namespace velomir
