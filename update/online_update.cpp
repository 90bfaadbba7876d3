#include "update/online_update.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/service_hosts.h"
#include "update/update_description.h"
#include "update/update_download.h"
#include "update/update_version.h"

namespace larkspur::update {

namespace fs = std::filesystem;

namespace {

// Fetches a small file: everything up to `limit` bytes, nothing beyond.
// Returns false when it cannot be opened or the transfer fails, and then
// says why in `failure` (when given; empty when cancelled).
bool fetchSmallFile(const std::string& url, std::size_t limit, const UpdateAgentSetup& setup, std::string& text,
                    std::string* failure = nullptr) {
  text.clear();
  UpdateTransfer transfer(setup.transfer);
  auto failed = [&] {
    if (failure != nullptr) *failure = transfer.failure();
    return false;
  };
  if (!transfer.open(url, setup.cancel)) return failed();
  char buffer[kUpdateDescriptionLimit];
  while (text.size() < limit) {
    const int64_t count = transfer.read(buffer, std::min(sizeof buffer, limit - text.size()), setup.cancel);
    if (count < 0) return failed();
    if (count == 0) break;
    text.append(buffer, static_cast<std::size_t>(count));
  }
  return true;
}

// Whether a trusted key signed `description` (its bytes as read). A key the
// description names as the next one is remembered.
bool verifiedDescription(const UpdateAgentSetup& setup, const std::string& description) {
  std::string signatureText;
  if (!fetchSmallFile(setup.signatureUrl, kSignatureFileLimit, setup, signatureText)) return false;
  const std::optional<Signature> signature = parseSignatureFile(signatureText);
  if (!signature) return false;
  std::vector<PublicKey> keys = setup.publisherKeys;
  const std::vector<PublicKey> learned = readTrustedKeyFile(setup.trustedKeyFile);
  keys.insert(keys.end(), learned.begin(), learned.end());
  if (!signingKey(description, *signature, keys)) return false;

  const std::optional<PublicKey> next = parsePublicKey(parseUpdateDescription(description).nextKey);
  if (next && !setup.trustedKeyFile.empty() && std::find(keys.begin(), keys.end(), *next) == keys.end()) {
    // Not being able to remember it fails nothing now: this description is
    // verified, and the key can be learned from a later one.
    (void)rememberTrustedKey(setup.trustedKeyFile, *next);
  }
  return true;
}

fs::path temporaryFolder(const fs::path& configured) {
  if (!configured.empty()) return configured;
  std::error_code error;
  fs::path folder = fs::temp_directory_path(error);
  return error ? fs::path("/tmp") : folder;
}

}  // namespace

core::Event& updateCancelSignal() {
  static core::Event signal;
  return signal;
}

UpdateAgentSetup defaultUpdateSetup() {
  UpdateAgentSetup setup;
  setup.descriptionUrl = core::serviceUrl(core::Service::UpdateServer, kUpdateDescriptionPath);
  setup.signatureUrl = core::serviceUrl(core::Service::UpdateServer, kUpdateSignaturePath);
  setup.programUrl = core::serviceUrl(core::Service::UpdateServer, kUpdateProgramPath);
  setup.ownVersion = ownProgramVersion();
  setup.trustedKeyFile = defaultTrustedKeyFile();
  setup.installedFromPackage = [](const fs::path& file) {
    return ownedByDebianPackage(file, kPackageQueryTimeout, &updateCancelSignal());
  };
  setup.cancel = &updateCancelSignal();
  return setup;
}

std::string proceedQuestion(std::string_view version) {
  const std::size_t at = kProceedQuestionFormat.find("%s");
  std::string text(kProceedQuestionFormat.substr(0, at));
  text += version;
  text += kProceedQuestionFormat.substr(at + 2);
  return text;
}

std::string serverNotReachedText(std::string_view why) {
  std::string text = "The update server could not be reached: ";
  text += why;
  text += ". Whether a newer version is available is not known; try again later.";
  return text;
}

std::string packagedUpdateText(std::string_view version) {
  std::string text = "Larkspur ";
  text += version;
  text += " is available. This copy was installed from a package: update it with your package manager "
          "(sudo apt install --only-upgrade ";
  text += kPackageName;
  text += ").";
  return text;
}

UpdateOutcome runUpdateAgent(const UpdateAgentSetup& setup, UpdateReport* report) {
  UpdateReport ignored;
  if (report == nullptr) report = &ignored;
  *report = UpdateReport{};
  // 1. The description file, and its signature: nothing of an unverified
  // description is believed.
  std::string text;
  std::string why;
  if (!fetchSmallFile(setup.descriptionUrl, kUpdateDescriptionLimit, setup, text, &why)) {
    if (!why.empty()) report->failure = serverNotReachedText(why);
    return UpdateOutcome::CannotOpen;
  }
  if (text.empty()) return UpdateOutcome::DescriptionEmpty;
  if (!verifiedDescription(setup, text)) {
    // Cancelled while the signature was fetched is no verdict on it.
    return setup.cancel != nullptr && setup.cancel->isSet() ? UpdateOutcome::CannotOpen : UpdateOutcome::NotVerified;
  }

  // 2. The program's own file and version.
  // The version belongs to the program's file: without the file there is no
  // version to compare and nothing to exchange.
  const fs::path program = setup.programPath.empty() ? runningProgramPath() : setup.programPath;
  report->program = program;
  std::error_code error;
  if (setup.ownVersion.empty() || program.empty() || !fs::is_regular_file(program, error)) {
    return UpdateOutcome::NoOwnVersion;
  }

  // 3 and 4. What the server offers, and whether it is newer.
  const UpdateDescription offer = parseUpdateDescription(text);
  if (!isNewerVersion(offer.version, setup.ownVersion)) return UpdateOutcome::NotNewer;
  report->offeredVersion = offer.version;
  // A packaged file is the package manager's to replace.
  if (setup.installedFromPackage && setup.installedFromPackage(program)) return UpdateOutcome::InstalledFromPackage;
  // Without a size and a digest the download could not be checked, so it
  // would be refused anyway: do not ask and do not download.
  if (offer.size == 0 || offer.sha256.empty()) return UpdateOutcome::DownloadFailed;

  // 5 to 7. The download target, the program address, the user's consent.
  const fs::path target = temporaryFolder(setup.tempFolder) / program.filename();
  // With the temporary folder set to the program's own folder the download
  // would overwrite the program before anything is checked.
  std::error_code targetError;
  const fs::path canonicalTarget = fs::weakly_canonical(target, targetError);
  if (targetError || canonicalTarget == fs::weakly_canonical(program, error) || error) {
    return UpdateOutcome::DownloadFailed;
  }
  UpdateTransfer download(setup.transfer);
  if (!download.open(setup.programUrl, setup.cancel)) {
    if (!download.failure().empty()) {
      report->failure = "The new program could not be downloaded from the update server: " + download.failure() + ".";
    }
    return UpdateOutcome::CannotOpen;
  }
  if (!setup.askYesNo || !setup.askYesNo(proceedQuestion(offer.version))) {
    return UpdateOutcome::DeclinedOrNotExchanged;
  }

  // 8. The download, checked against the description.
  const DownloadResult downloaded =
      downloadProgram(download, target, DownloadCheck{offer.size, offer.sha256}, setup.post, setup.cancel);
  if (downloaded != DownloadResult::Complete) {
    report->downloadRefused = downloaded == DownloadResult::Refused;
    return UpdateOutcome::DownloadFailed;
  }

  // 9. The exchange.
  return exchangeProgramFile(program, target, setup.fileOps) ? UpdateOutcome::Installed
                                                              : UpdateOutcome::DeclinedOrNotExchanged;
}

UpdateOutcome runUpdateWorker(const UpdateWorkerSetup& setup) {
  UpdateReport report;
  const UpdateOutcome outcome = runUpdateAgent(setup.agent, &report);
  if (outcome != UpdateOutcome::Installed) {
    std::string text(kNoUpdateText);
    if (outcome == UpdateOutcome::NotVerified || report.downloadRefused) text = kNotVerifiedText;
    if (outcome == UpdateOutcome::InstalledFromPackage) text = packagedUpdateText(report.offeredVersion);
    if (outcome == UpdateOutcome::CannotOpen && !report.failure.empty()) text = report.failure;
    if (setup.showMessage) setup.showMessage(text);
  } else if (setup.agent.askYesNo && setup.agent.askYesNo(std::string(kRestartQuestion))) {
    if (setup.requestRestart) setup.requestRestart(report.program);
  }
  if (setup.agent.post) setup.agent.post(core::Message{core::MessageId::kDownloadEnd, nullptr, static_cast<int64_t>(outcome), {}});
  return outcome;
}

}  // namespace larkspur::update
