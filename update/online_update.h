#pragma once
// The online update: fetch the update description from the update server
// and its signature, accept it only when a trusted key signed it, compare the
// version it names with this program's own, ask the user, download the new
// program into the temporary folder and put it in place of the program's
// file, the old one kept as "OldExecutable.bak". The new version runs from
// the next start, which the user may ask for at once. A program that belongs
// to a Debian package is not replaced: the run only says which version the
// package manager can install.
//
// The GUI runs runUpdateWorker on a std::thread of its own after resetting
// updateCancelSignal(), sets that signal for "Cancel", and receives
// kDownloadProgress (param: percent) and kDownloadEnd (param: the outcome) by
// its Post callback. askYesNo, showMessage and requestRestart are called on
// the worker's thread and may block it until the user has answered.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/event.h"
#include "core/messages.h"
#include "update/package_ownership.h"
#include "update/program_exchange.h"
#include "update/trusted_keys.h"
#include "update/update_signature.h"
#include "update/update_transfer.h"

namespace larkspur::update {

// Paths of the files on the update server (Service::UpdateServer).
inline constexpr std::string_view kUpdateDescriptionPath = "/larkspur_update.txt";
inline constexpr std::string_view kUpdateSignaturePath = "/larkspur_update.txt.sig";
inline constexpr std::string_view kUpdateProgramPath = "/larkspur.exe";

inline constexpr std::string_view kNoUpdateText = "No update version to download at this time.";
// A description without a valid signature of a trusted key, or a download
// that does not match the verified description.
inline constexpr std::string_view kNotVerifiedText =
    "The downloaded program could not be verified; nothing was changed.";
inline constexpr std::string_view kProceedQuestionFormat =
    "An update of Version %s is now available. Proceed with the update?";
inline constexpr std::string_view kRestartQuestion =
    "The application was updated and will be available next time you run it.\n Do you want restart it ?";

enum class UpdateOutcome : int32_t {
  Installed = 0,            // the new program is in place
  CannotOpen = 2,           // the description or the program could not be fetched
  DescriptionEmpty = 3,     // the description file was empty
  DownloadFailed = 4,       // failed, cancelled, or refused: wrong or missing size or digest
                            // (UpdateReport::downloadRefused tells a refused download apart)
  NoOwnVersion = 5,         // the program's own version or file cannot be determined
  NotNewer = 6,             // the named version is not newer, or is invalid
  DeclinedOrNotExchanged = 7,  // the user said No, or the program file could not be exchanged
  NotVerified = 8,          // no signature, or none of a trusted key, over the description
  InstalledFromPackage = 9,  // newer version offered, but the program belongs to a package
                             // (UpdateReport::offeredVersion names the version)
};

struct UpdateAgentSetup {
  std::string descriptionUrl;
  std::string signatureUrl;  // the description's detached signature
  std::string programUrl;
  // The keys built into the program; the description must be signed with one
  // of them or one of those in trustedKeyFile.
  std::vector<PublicKey> publisherKeys = builtInPublisherKeys();
  // Where the keys that signed descriptions named as successors are
  // remembered; empty: none are read or remembered.
  std::filesystem::path trustedKeyFile;
  // Whether the program's file belongs to a package; empty: it never does.
  PackageOwnershipCheck installedFromPackage;
  std::string ownVersion;                 // empty: cannot be determined
  std::filesystem::path programPath;      // empty: the running program's file
  std::filesystem::path tempFolder;       // empty: the system's temporary folder
  core::Post post;                              // receives kDownloadProgress; may be empty
  const core::Event* cancel = nullptr;          // the update-cancel signal; null: never cancelled
  // Asks a Yes/No question with the given text; true for Yes. Empty: No.
  std::function<bool(const std::string& text)> askYesNo;
  UpdateTransferOptions transfer;
  ExchangeFileOps fileOps;
};

// The program-wide update-cancel signal (separate from the stop signal).
core::Event& updateCancelSignal();

// The update server's three addresses (through the service base when one is
// set), this program's version, its running file, the built-in keys and the
// key file in the configuration folder, the ownership check by dpkg and the
// update-cancel signal. The caller adds post and askYesNo.
UpdateAgentSetup defaultUpdateSetup();

// kProceedQuestionFormat with the version filled in.
std::string proceedQuestion(std::string_view version);
// What the user is told when the update description could not be fetched,
// and why.
std::string serverNotReachedText(std::string_view why);
// What a packaged copy is told when `version` is available.
std::string packagedUpdateText(std::string_view version);

// What an update run found beside its outcome.
struct UpdateReport {
  // The program file the run worked on (and replaced, when Installed): the
  // set-up's program path, or the running program's file as it was named
  // before the exchange moved it to the backup.
  std::filesystem::path program;
  // The whole program was downloaded but its size or SHA-256 was not the
  // one the description names; the file was removed again.
  bool downloadRefused = false;
  // The newer version a verified description offers (set when the run got
  // that far).
  std::string offeredVersion;
  // Why the update server could not be asked (CannotOpen, not cancelled): a
  // sentence for the user naming the failure.
  std::string failure;
};

// One update check and, when the user agrees, the exchange. Blocking. The
// signature is checked over the description's bytes as read (at most
// kUpdateDescriptionLimit) before anything the description says is used; a
// "next-key" it names is then remembered in trustedKeyFile. A packaged
// program is asked about only once a newer version is offered, and then
// nothing is downloaded.
UpdateOutcome runUpdateAgent(const UpdateAgentSetup& setup, UpdateReport* report = nullptr);

struct UpdateWorkerSetup {
  UpdateAgentSetup agent;
  std::function<void(const std::string& text)> showMessage;  // an information box
  // The user wants the new program now: this one is to close, as after Exit,
  // and `program` (the file just replaced) to start once it has ended.
  std::function<void(const std::filesystem::path& program)> requestRestart;
};

// The update run of the "Start" button: runs the agent; on a description it
// could not verify or a refused download shows kNotVerifiedText, for a
// packaged copy packagedUpdateText, when the server could not be asked the
// report's failure (serverNotReachedText), on any other end kNoUpdateText; on
// success asks kRestartQuestion and on Yes requests the restart of the new
// program. Finally posts kDownloadEnd with the outcome. Returns the
// outcome.
UpdateOutcome runUpdateWorker(const UpdateWorkerSetup& setup);

}  // namespace larkspur::update
