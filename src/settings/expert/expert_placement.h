#pragma once
#include <string>

#include "common/terminal_site.h"
#include "platform/platform.h"
#include "settings/expert/expert_identity.h"

namespace kv {

// The experts folder that belongs to a files folder: MQL4\Files gives
// MQL4\Experts and MQL5\Files MQL5\Experts (data folder or portable
// terminal), experts\files gives experts (MT4 up to build 509).
std::string expertsFolderOf(const std::string& filesFolder);

// Puts the program's own expert for the trader's terminal (KorvaneVantor.mq4
// for MT4, KorvaneVantor.mq5 for MT5) into the experts folder that belongs to
// the files folder the relay reads (a terminal's; pathname1 for the first), where the terminal compiles it
// at its next start or Navigator refresh. It writes only where
// the file is missing or an older version of ours: a newer version, or
// another program's file of that name, is left alone. It only decides and
// writes: when to look again, and how to tell the trader, belong to its users.
class ExpertPlacement {
public:
    enum class Outcome {
        NotYet,           // no files folder known yet
        Written,          // there was none: ours is there now
        Replaced,         // an older version of ours was replaced
        AlreadyThere,     // the same version of ours
        OursKept,         // ours, newer or of a version that cannot be read
        OtherKept,        // another expert of that name
        NoExpertsFolder,  // the terminal has not made its experts folder: the wrong one, or one never started
        NotCarried,       // this copy of the program carries no expert for the terminal
        Failed,           // the folder or the file could not be read or written
    };

    // How the last placement went, and where.
    struct Result {
        Outcome outcome = Outcome::NotYet;
        MetaTrader terminal = MetaTrader::Four;
        std::string filesFolder;    // the files folder it was made for
        std::string expertsFolder;  // and its experts folder
        platform::FileError error = platform::FileError::None;  // why it failed
        std::string foundVersion;   // of a file of ours that was kept

        // Our expert, of this program's version or newer, is where the terminal compiles it.
        bool inPlace() const {
            return outcome == Outcome::Written || outcome == Outcome::Replaced || outcome == Outcome::AlreadyThere;
        }
    };

    ExpertPlacement(const platform::Platform& platform, const TerminalSite& site);

    // Now, for the files folder as it is (at start, after a Save, when the terminal is added).
    void place();
    // Again when the relay has followed the expert to another files folder,
    // or when the last try could not put the expert in.
    void lookAgain();

    const Result& result() const { return result_; }

private:
    void placeInto(const std::string& folder);
    Outcome judge(const std::string& found, const std::string& carried);

    platform::Platform platform_;
    const TerminalSite& site_;
    Result result_;
};

}  // namespace kv
