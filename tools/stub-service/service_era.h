// Which service the stand-in plays: the one the tests were written against, or the service as it answers today.
#pragma once

namespace velomir {

enum class ServiceEra {
    Classic,  // whole old answers; today's shapes only for the items that have their own IDs
    Today,    // cut old playlist answers, the v6 playlist detail, song detail's limit and more, for every item
};

}  // namespace velomir
