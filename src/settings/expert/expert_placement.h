#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "settings/expert/expert_identity.h"
#include "shell/base/frm_main_mdi.h"

namespace kv {

// The experts folder that belongs to a files folder: MQL4\Files gives
// MQL4\Experts and MQL5\Files MQL5\Experts (data folder or portable
// terminal), experts\files gives experts (MT4 up to build 509).
std::string expertsFolderOf(const std::string& filesFolder);

// Puts the program's own expert for the trader's terminal (KorvaneVantor.mq4
// for MT4, KorvaneVantor.mq5 for MT5) into the experts folder that belongs to
// the files folder the relay reads (pathname1), where the terminal compiles it
// at its next start or Navigator refresh. It writes only where
// the file is missing or an older version of ours: a newer version, or
// another program's file of that name, is left alone. Nothing it finds is
// told in a box; the settings window shows how it went.
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
        Failed,           // the folder or the file could not be read or written
    };

    ExpertPlacement(const platform::Platform& platform, const FrmMainMdi& main);

    // At start: places now, then again whenever the relay follows the
    // expert to another files folder, and retries what failed; once a
    // minute, on a timer of its own, never inside a poll cycle.
    void start();
    // Now, for pathname1 as it is (after a Save).
    void place();

    Outcome outcome() const { return outcome_; }
    // The settings window's line: where the expert is and how recently its
    // order log was written, or what the trader must do by hand.
    std::string describe();

private:
    void placeInto(const std::string& folder);
    Outcome judge(const std::string& found, const std::string& carried);
    std::string logAge();

    platform::Platform platform_;
    const FrmMainMdi& main_;
    std::unique_ptr<platform::Timer> timer_;
    std::string placedFor_;  // the files folder of the last placement
    MetaTrader terminal_ = MetaTrader::Four;  // and the terminal it belongs to
    std::string folder_;     // its experts folder
    Outcome outcome_ = Outcome::NotYet;
    platform::FileError error_ = platform::FileError::None;
    std::string foundVersion_;  // of a file of ours that was kept
};

}  // namespace kv
