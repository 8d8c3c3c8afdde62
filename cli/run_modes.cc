// The runner's modes, one row each, in the order of the synopsis.
#include "cli/run_modes.h"

namespace qs {

namespace {

using Mode = RunArgs::Mode;
using enum PathRole;

const RunMode kModes[] = {
    {Mode::kBackup,
     "[OPTIONS] SOURCE TARGET",
     {kSource, kTarget},
     false,
     "expected SOURCE and TARGET",
     1,
     "Copies every file below SOURCE that is new, or newer than its copy, to the same place\n"
     "below TARGET. Nothing is ever deleted. SOURCE may not be TARGET or lie inside it.\n"
     "Without arguments, the source, target and time versioning of backup_config.dat in the\n"
     "working directory are used (the file is only read); without that file nothing is done.\n"
     "The patterns of backup_excludes.txt beside it, one a line as for --exclude-from, are\n"
     "left out; when that file cannot be read or holds a bad pattern, nothing is done.\n"
     "\n"
     "Backup options:\n",
     "  e.g. quillstone-run --time-versioning --exclude '**/node_modules/' ~/Documents /mnt/usb\n"},
    {Mode::kBackupFromSettings, "", {}, false, "expected SOURCE and TARGET", 0, "", ""},
    {Mode::kPrune,
     "--prune-versions [--dry-run] [--keep-... N]... TARGET",
     {kTarget},
     false,
     "--prune-versions takes one TARGET",
     2,
     "--prune-versions TARGET: removes the version folders of TARGET that no rule keeps. The\n"
     "newest is always kept; without a --keep rule nothing goes.\n",
     "  e.g. quillstone-run --prune-versions --keep-daily 7 --keep-weekly 4 /mnt/usb\n"},
    {Mode::kVersions,
     "--versions TARGET PATH",
     {kTarget, kPath},
     false,
     "--versions takes TARGET and PATH",
     3,
     "--versions TARGET PATH: lists every kept copy of the file PATH (relative to the\n"
     "backed-up folder), the current one first, then each version folder's with the moment\n"
     "its run replaced it, the latest first.\n",
     "  e.g. quillstone-run --versions /mnt/usb notes/plan.txt\n"},
    {Mode::kRestore,
     "--restore [--as-of \"YYYY-MM-DD HH:MM:SS\"] TARGET DEST [PATH...]",
     {kTarget, kDest},
     true,
     "--restore takes TARGET, DEST and PATHs",
     4,
     "--restore TARGET DEST [PATH...]: rebuilds into DEST (empty or missing) the tree, or the\n"
     "PATHs, from TARGET; TARGET is never written.\n",
     "  e.g. quillstone-run --restore --as-of \"2026-12-01 18:00:00\" /mnt/usb ~/restored notes\n"},
    {Mode::kRebuildRecord,
     "--rebuild-record TARGET",
     {kTarget},
     false,
     "--rebuild-record takes one TARGET",
     6,
     "--rebuild-record TARGET: makes a new record of the runs in TARGET/.quillstone from the\n"
     "copies TARGET holds now, reading and hashing each. A record there before is renamed to\n"
     "journal.replaced-YYYYMMDD_HHMMSS beside it, never deleted. Exit status 1 when a copy\n"
     "could not be read (it is recorded without its hash) or the record could not be written.\n",
     ""},
    {Mode::kSchedule,
     "--schedule install|remove|show",
     {},
     false,
     "--schedule takes install, remove or show only",
     5,
     "--schedule install|remove|show: backups while no window is open, through the system's\n"
     "scheduler, with the interval and settings of backup_config.dat in the working directory:\n"
     "a systemd user timer ($XDG_CONFIG_HOME/systemd/user/quillstone-backup.timer, catching up\n"
     "a missed run) on Linux, the task \"Quillstone Backup\" on Windows. It runs\n"
     "quillstone-run --background in that directory. Exit status 1 when the schedule could not\n"
     "be installed or enabled (the sentence says what to do).\n",
     "  e.g. cd ~/.config/quillstone && quillstone-run --schedule install\n"},
    {Mode::kVerify,
     "--verify [--budget PERCENT] [--repair] [--background] TARGET",
     {kTarget},
     false,
     "--verify takes one TARGET",
     7,
     "--verify TARGET: reads the copies in TARGET, current ones and those in version folders,\n"
     "and compares each with the hash the record of the runs keeps for it. It names each\n"
     "\"Damaged copy\" (same size and time, other bytes) and each copy \"Changed outside the\n"
     "backup\" (missing, or with another size or time); it learns the hash of a copy the record\n"
     "has none for. Exit status 1 when it finds either, or when TARGET keeps no record.\n",
     "  e.g. quillstone-run --verify --budget 25 /mnt/usb\n"},
    {Mode::kStatus,
     "--status TARGET",
     {kTarget},
     false,
     "--status takes one TARGET",
     8,
     "--status TARGET: the last run and the last that succeeded, the failures of the last run,\n"
     "the size of the record, and how far the checks of the copies have come. Exit status 1\n"
     "when the last run failed, the last check found damage, or TARGET keeps no record.\n",
     "  e.g. quillstone-run --status /mnt/usb\n"},
};

}  // namespace

std::span<const RunMode> RunModes() { return kModes; }

const RunMode* FindRunMode(RunArgs::Mode mode) {
  for (const RunMode& row : kModes)
    if (row.mode == mode) return &row;
  return nullptr;
}

}  // namespace qs
