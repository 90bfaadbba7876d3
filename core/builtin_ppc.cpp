#include "core/ppc_record.h"

namespace larkspur::core {

namespace {

// Countries are kept exactly as the table has always held them.
const PpcRecord kBuiltinPpc[] = {
    {"Google", "USA", "https://ads.google.com/", 10},
    {"Yahoo", "USA", "https://searchmarketing.yahoo.com/", 9},
    {"MSN", "USA", "https://ads.microsoft.com/", 8},
    {"411web", "USA", "https://www.411web.com/advertisers/", 9},
    {"7Search", "USA", "https://www.7search.com/advertisers/", 5},
    {"Baidu", "China", "https://e.baidu.com/", 7},
    {"Brainfox", "USA", "https://www.brainfox.com/advertisers/", 4},
    {"Enhance", "USA", "https://www.enhance.com/advertisers/", 6},
    {"Epilot", "USA", "https://www.epilot.com/advertisers/", 4},
    {"Espotting", "Sweden", "https://www.espotting.se/advertisers/", 4},
    {"Goclick", "USA", "https://www.goclick.com/advertisers/", 5},
    {"Kanoodle", "USA", "https://www.kanoodle.com/advertisers/", 7},
    {"Looksmart", "USA", "https://www.looksmart.com/advertisers/", 7},
    {"Mirago.DE", "Germany", "https://www.mirago.de/werbung/", 5},
    {"Mirago.FR", "France", "https://www.mirago.fr/publicite/", 4},
    {"Mirago.UK", "United Kingdom", "https://www.mirago.co.uk/advertisers/", 5},
    {"Miva", "USA", "https://www.miva.com/advertisers/", 6},
    {"Miva.DE", "Germany", "https://www.miva.de/werbekunden/", 5},
    {"Miva.ES", "SPlash", "https://www.miva.es/anunciantes/", 6},
    {"Miva.FR", "France", "https://www.miva.fr/annonceurs/", 6},
    {"Miva.IT", "Italy", "https://www.miva.it/inserzionisti/", 6},
    {"Miva.UK", "United Kingdom", "https://www.miva.co.uk/advertisers/", 5},
    {"Qualigo.AT", "Austra", "https://www.qualigo.at/werbekunden/", 5},
    {"Qualigo.CH", "Switzerland", "https://www.qualigo.ch/werbekunden/", 5},
    {"Qualigo.DE", "Germany", "https://www.qualigo.de/werbekunden/", 5},
    {"Qualigo.NL", "Netherlands", "https://www.qualigo.nl/adverteerders/", 5},
    {"Splut", "United Kingdom", "https://www.splut.co.uk/advertisers/", 3},
    {"Search123", "USA", "https://www.search123.com/advertisers/", 3},
    {"Searchfeed", "USA", "https://www.searchfeed.com/advertisers/", 3},
    {"", "", "", 0},
};

}  // namespace

std::span<const PpcRecord> builtinPpcRecords() { return kBuiltinPpc; }

}  // namespace larkspur::core
