#pragma once
#include <string>
#include <vector>

#include "common/file_writer.h"
#include "common/frm_main_mdi.h"
#include "platform/platform.h"

namespace kv {

// Data\Terminals.dat: the terminals relayed besides the first (whose folder
// stays in Data\Settings.dat), one line each,
//     <trade system id>|<MT4 or MT5>|<installation folder>
// The folder comes last, and a Windows path cannot hold "|", so no folder
// breaks its line. The id is empty for a terminal added before any login.
// Written as Settings.dat is: in the code page when every line fits it, else
// in UTF-8 behind a byte-order mark.

std::vector<std::string> terminalsLines(platform::SystemText& system, const std::vector<OtherTerminal>& terminals);

// A line that names no terminal to relay, by its number (from 1).
struct SkippedLine {
    std::size_t number;
    std::string text;    // UTF-8
    std::string reason;
};

struct TerminalsRead {
    std::vector<OtherTerminal> terminals;  // without their files folders
    std::vector<SkippedLine> skipped;
};

// A line naming the first terminal's folder, or a folder named before, is
// skipped; blank lines are no terminals and no damage either. Lines end at
// CR LF, CR or LF.
TerminalsRead terminalsFromFile(platform::SystemText& system, const std::string& bytes,
                                const std::string& firstFolder);

class TerminalsFile {
public:
    explicit TerminalsFile(const platform::Platform& platform);

    // The other terminals at start, each with its files folder found afresh.
    // Damaged or repeated lines are skipped and told in one box; the file
    // keeps them until the next change rewrites it.
    void load(FrmMainMdi& main);
    // After every change, replaced as a whole; a failure is told.
    bool save(const FrmMainMdi& main);

private:
    std::string path() const { return platform_.dataFile("Terminals.dat"); }
    void tellSkipped(const std::vector<SkippedLine>& skipped);

    platform::Platform platform_;
    FileWriter writer_;
};

}  // namespace kv
