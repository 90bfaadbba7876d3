#include "update/online_update.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/service_hosts.h"
#include "update/sha256.h"
#include "update/update_description.h"
#include "update/update_version.h"
#include "tests/support/local_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/update_signing_key.h"

namespace larkspur::update {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

std::string programBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xff);
  return bytes;
}

class OnlineUpdateTest : public ::testing::Test, protected test::InstalledProgram {
 protected:
  void SetUp() override {
    server.get("/larkspur_update.txt", [this](const httplib::Request&, httplib::Response& res) {
      std::lock_guard lock(mutex);
      ++descriptionHits;
      if (descriptionStatus != 200) {
        res.status = descriptionStatus;
        return;
      }
      res.set_content(description, "text/plain");
    });
    server.get("/larkspur_update.txt.sig", [this](const httplib::Request&, httplib::Response& res) {
      std::lock_guard lock(mutex);
      if (signature_) res.set_content(*signature_, "text/plain");
      res.status = signature_ ? 200 : 404;
    });
    server.get("/larkspur.exe", [this](const httplib::Request&, httplib::Response& res) {
      std::lock_guard lock(mutex);
      ++programHits;
      if (programStatus != 200) {
        res.status = programStatus;
        return;
      }
      res.set_content(servedProgram.empty() ? newProgram : servedProgram, "application/octet-stream");
    });
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(core::setServiceBase(server.baseUrl()));
  }

  void TearDown() override { core::setServiceBase(""); }

  // `text`, signed with the trusted key (what the program reads of it).
  void serve(std::string text) {
    std::lock_guard lock(mutex);
    signature_ = key.sign(text.substr(0, kUpdateDescriptionLimit));
    description = std::move(text);
  }

  // "version,size,sha256" for the program the server holds.
  std::string offer(const std::string& version) const {
    return version + "," + std::to_string(newProgram.size()) + "," + sha256Hex(newProgram) + "\r\n";
  }

  UpdateAgentSetup setup() {
    UpdateAgentSetup s = defaultUpdateSetup();
    test::trustOnly(s, key, keyFile);
    s.ownVersion = "2.4";
    s.programPath = program;
    s.tempFolder = downloads;
    s.cancel = &cancel;
    s.post = [this](core::Message m) {
      std::lock_guard lock(mutex);
      messages.push_back(m);
    };
    s.askYesNo = [this](const std::string& text) {
      questions.push_back(text);
      return answer;
    };
    return s;
  }

  std::vector<int64_t> progress() {
    std::lock_guard lock(mutex);
    std::vector<int64_t> percents;
    for (const core::Message& m : messages) {
      if (m.id == core::MessageId::kDownloadProgress) percents.push_back(m.param);
    }
    return percents;
  }

  void expectProgramUntouched() {
    EXPECT_EQ(readFile(program), "old program");
    EXPECT_FALSE(fs::exists(folder / "OldExecutable.bak"));
    EXPECT_FALSE(fs::exists(folder / ".larkspur.update"));
  }

  fs::path downloaded = downloads / "larkspur";
  fs::path keyFile = dir.file("config") / "update_keys";
  std::string newProgram = programBytes(100000);
  std::string servedProgram;  // empty: newProgram
  test::UpdateSigningKey key;

  std::mutex mutex;
  std::string description;
  std::optional<std::string> signature_;  // the signature file served; nullopt: none (404)
  int descriptionStatus = 200;
  int programStatus = 200;
  int descriptionHits = 0;
  int programHits = 0;
  std::vector<core::Message> messages;

  std::vector<std::string> questions;
  bool answer = true;
  core::Event cancel;
  test::LocalServer server;
};

TEST_F(OnlineUpdateTest, NewerVersionWithMatchingDigestIsInstalled) {
  serve(offer("2.5.0.700"));
  ASSERT_EQ(runUpdateAgent(setup()), UpdateOutcome::Installed);

  EXPECT_EQ(questions, std::vector<std::string>{
                           "An update of Version 2.5.0.700 is now available. Proceed with the update?"});
  EXPECT_EQ(readFile(program), newProgram);
  EXPECT_EQ(fs::status(program).permissions(), fs::perms(0755));
  EXPECT_EQ(readFile(folder / "OldExecutable.bak"), "old program");
  EXPECT_FALSE(fs::exists(downloaded)) << "the download was moved into place";

  const std::vector<int64_t> percents = progress();
  ASSERT_GE(percents.size(), (newProgram.size() + 8191) / 8192) << "one message per block of at most 8192 bytes";
  for (std::size_t i = 1; i < percents.size(); ++i) EXPECT_LE(percents[i - 1], percents[i]);
  EXPECT_GE(percents.front(), 0);
  EXPECT_EQ(percents.back(), 100);
}

TEST_F(OnlineUpdateTest, EqualVersionIsNoUpdateAndAsksNothing) {
  for (const char* version : {"2.4", "2.4.0.0", "2..4.", "2.3.99"}) {
    serve(offer(version));
    EXPECT_EQ(runUpdateAgent(setup()), UpdateOutcome::NotNewer) << version;
  }
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(programHits, 0);
  expectProgramUntouched();
}

TEST_F(OnlineUpdateTest, InvalidVersionFormsAreNeverNewer) {
  const std::string rest = "," + std::to_string(newProgram.size()) + "," + sha256Hex(newProgram);
  for (const std::string& text : {std::string("9.0\n"), "9.0\n" + rest, "9" + rest, "9.0.0.0.1" + rest, "+9.0" + rest,
                                  "9 .0" + rest, " 9.0" + rest, "v9.0" + rest, "9.0.-1" + rest, std::string(",,,")}) {
    serve(text);
    EXPECT_EQ(runUpdateAgent(setup()), UpdateOutcome::NotNewer) << text;
  }
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(programHits, 0);
  expectProgramUntouched();
}

TEST_F(OnlineUpdateTest, EmptyOrMissingDescription) {
  serve("");
  EXPECT_EQ(runUpdateAgent(setup()), UpdateOutcome::DescriptionEmpty);
  // Neither an error page nor a server that is not there is "no update":
  // the user is told that the server could not be asked, and why.
  descriptionStatus = 404;
  std::vector<std::string> shown;
  UpdateWorkerSetup w{setup(), [&](const std::string& text) { shown.push_back(text); }, {}};
  EXPECT_EQ(runUpdateWorker(w), UpdateOutcome::CannotOpen);
  EXPECT_EQ(shown, std::vector<std::string>{"The update server could not be reached: the server answered HTTP 404. "
                                            "Whether a newer version is available is not known; try again later."});

  UpdateReport report;
  UpdateAgentSetup unreachable = setup();
  const std::string port = std::to_string(test::unusedLocalPort());
  unreachable.descriptionUrl = "http://127.0.0.1:" + port + "/larkspur_update.txt";
  EXPECT_EQ(runUpdateAgent(unreachable, &report), UpdateOutcome::CannotOpen);
  EXPECT_NE(report.failure.find("127.0.0.1 port " + port), std::string::npos) << report.failure;
  EXPECT_TRUE(questions.empty());
  expectProgramUntouched();
}

TEST_F(OnlineUpdateTest, WithoutOwnVersionOrFileThereIsNothingToCompare) {
  serve(offer("2.5"));
  UpdateAgentSetup noVersion = setup();
  noVersion.ownVersion = "";
  EXPECT_EQ(runUpdateAgent(noVersion), UpdateOutcome::NoOwnVersion);
  UpdateAgentSetup noFile = setup();
  noFile.programPath = folder / "missing";
  EXPECT_EQ(runUpdateAgent(noFile), UpdateOutcome::NoOwnVersion);
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(programHits, 0);
  expectProgramUntouched();
}

TEST_F(OnlineUpdateTest, TemporaryFolderThatIsTheProgramFolderIsRefused) {
  serve(offer("2.5"));
  UpdateAgentSetup s = setup();
  s.tempFolder = folder / "." / "";
  EXPECT_EQ(runUpdateAgent(s), UpdateOutcome::DownloadFailed);
  expectProgramUntouched();
}

TEST_F(OnlineUpdateTest, MissingProgramOnTheServer) {
  serve(offer("2.5"));
  programStatus = 404;
  UpdateReport report;
  EXPECT_EQ(runUpdateAgent(setup(), &report), UpdateOutcome::CannotOpen);
  EXPECT_EQ(report.failure, "The new program could not be downloaded from the update server: the server answered HTTP 404.");
  EXPECT_TRUE(questions.empty()) << "the program is opened before the user is asked";
  expectProgramUntouched();
}

TEST_F(OnlineUpdateTest, WrongSizeOrDigestIsRefusedAndRemoved) {
  const std::string size = std::to_string(newProgram.size());
  const std::string digest = sha256Hex(newProgram);
  std::string tampered = newProgram;
  tampered[50000] ^= 1;
  for (const std::string& text :
       {"2.5," + std::to_string(newProgram.size() - 1) + "," + digest,
        "2.5," + std::to_string(newProgram.size() + 1) + "," + digest, "2.5,1," + digest,
        "2.5," + size + "," + sha256Hex(tampered)}) {
    serve(text);
    questions.clear();
    writeFile(downloaded, "left by an earlier run");
    UpdateReport report;
    EXPECT_EQ(runUpdateAgent(setup(), &report), UpdateOutcome::DownloadFailed) << text;
    EXPECT_TRUE(report.downloadRefused) << text;
    EXPECT_EQ(questions.size(), 1u) << text;
    EXPECT_FALSE(fs::exists(downloaded)) << text << ": an unverified program must not stay behind";
    expectProgramUntouched();
  }
}

TEST_F(OnlineUpdateTest, WithoutSizeOrDigestNothingIsDownloaded) {
  const std::string size = std::to_string(newProgram.size());
  for (const std::string& text : {std::string("2.5"), "2.5," + size, "2.5," + size + ",not-a-digest",
                                  "2.5,," + sha256Hex(newProgram) + "," + size}) {
    serve(text);
    EXPECT_EQ(runUpdateAgent(setup()), UpdateOutcome::DownloadFailed) << text;
  }
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(programHits, 0);
  expectProgramUntouched();
}

TEST_F(OnlineUpdateTest, DeclinedUpdateDownloadsNothing) {
  serve(offer("2.5"));
  answer = false;
  EXPECT_EQ(runUpdateAgent(setup()), UpdateOutcome::DeclinedOrNotExchanged);
  EXPECT_EQ(questions.size(), 1u);
  EXPECT_FALSE(fs::exists(downloaded));
  EXPECT_TRUE(progress().empty());
  expectProgramUntouched();
}

TEST_F(OnlineUpdateTest, CancelDuringDownloadLeavesTheTemporaryFile) {
  serve(offer("2.5"));
  UpdateAgentSetup s = setup();
  s.post = [this](core::Message m) {
    std::lock_guard lock(mutex);
    messages.push_back(m);
    cancel.set();  // "Cancel" pressed while the first block is shown
  };
  UpdateReport report;
  EXPECT_EQ(runUpdateAgent(s, &report), UpdateOutcome::DownloadFailed);
  EXPECT_FALSE(report.downloadRefused) << "a cancelled download is not a refused one";
  EXPECT_EQ(progress().size(), 1u) << "no block after the cancel";
  ASSERT_TRUE(fs::exists(downloaded));
  EXPECT_GT(fs::file_size(downloaded), 0u);
  EXPECT_LT(fs::file_size(downloaded), newProgram.size());
  expectProgramUntouched();
}

// A server that sends the first block of the program and then falls silent.
class SilentServerTest : public OnlineUpdateTest {
 protected:
  void SetUp() override {
    test::serveSignedDescription(silent, key, [this] { return offer("2.5"); });
    silent.get("/larkspur.exe", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(newProgram.size(), "application/octet-stream",
                               [this](size_t offset, size_t, httplib::DataSink& sink) {
                                 if (offset == 0) return sink.write(newProgram.data(), 8192);
                                 while (!silent.stopping()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
                                 return false;
                               });
    });
    ASSERT_TRUE(silent.start());
    OnlineUpdateTest::SetUp();
  }

  UpdateAgentSetup silentSetup() {
    UpdateAgentSetup s = setup();
    s.descriptionUrl = silent.url("/larkspur_update.txt");
    s.signatureUrl = silent.url("/larkspur_update.txt.sig");
    s.programUrl = silent.url("/larkspur.exe");
    return s;
  }

  test::LocalServer silent;
};

TEST_F(SilentServerTest, CancelEndsAWaitForData) {
  UpdateAgentSetup s = silentSetup();
  s.transfer.stallTimeout = std::chrono::seconds(30);
  std::thread canceller([this] {
    while (progress().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cancel.set();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(runUpdateAgent(s), UpdateOutcome::DownloadFailed);
  canceller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(fs::file_size(downloaded), 8192u);
  expectProgramUntouched();
}

TEST_F(SilentServerTest, SilenceEndsTheDownload) {
  UpdateAgentSetup s = silentSetup();
  s.transfer.stallTimeout = std::chrono::milliseconds(200);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(runUpdateAgent(s), UpdateOutcome::DownloadFailed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(progress(), std::vector<int64_t>{8});  // 8192 of 100000 bytes
  expectProgramUntouched();
}

TEST_F(OnlineUpdateTest, FailedExchangePutsTheOldProgramBack) {
  serve(offer("2.5"));
  UpdateAgentSetup s = setup();
  s.fileOps.rename = [this](const fs::path& from, const fs::path& to) -> std::error_code {
    if (to == program && from.filename() != "OldExecutable.bak") return std::make_error_code(std::errc::io_error);
    std::error_code error;
    fs::rename(from, to, error);
    return error;
  };
  EXPECT_EQ(runUpdateAgent(s), UpdateOutcome::DeclinedOrNotExchanged);
  expectProgramUntouched();
  EXPECT_EQ(fs::status(program).permissions(), fs::perms(0755));
  EXPECT_EQ(readFile(downloaded), newProgram);
}

TEST_F(OnlineUpdateTest, ProgramFolderThatCannotBeChangedFailsCleanly) {
  // As root no permission bit stops a write, so the folder is blocked where
  // the exchange needs room: the backup name is taken by a folder in use.
  fs::create_directory(folder / "OldExecutable.bak");
  writeFile(folder / "OldExecutable.bak" / "data", "keep");
  serve(offer("2.5"));
  EXPECT_EQ(runUpdateAgent(setup()), UpdateOutcome::DeclinedOrNotExchanged);
  EXPECT_EQ(readFile(program), "old program");
  EXPECT_EQ(readFile(folder / "OldExecutable.bak" / "data"), "keep");
  EXPECT_FALSE(fs::exists(folder / ".larkspur.update"));
}

TEST_F(OnlineUpdateTest, DescriptionBeyondTheLimitIsCutThere) {
  // Everything needed within the first 8192 bytes, a long tail after them.
  serve(offer("2.5") + "," + std::string(20000, 'x'));
  EXPECT_EQ(runUpdateAgent(setup()), UpdateOutcome::Installed);

  // The digest crosses the limit: what lies beyond is never read.
  writeFile(program, "old program");
  fs::remove(folder / "OldExecutable.bak");
  const std::string pieces = offer("2.6");
  serve(std::string(8192 - pieces.size() + 20, ',') + pieces);
  EXPECT_EQ(runUpdateAgent(setup()), UpdateOutcome::DownloadFailed);
  EXPECT_EQ(programHits, 1);
  EXPECT_EQ(readFile(program), "old program");
}

TEST_F(OnlineUpdateTest, WorkerTellsTheUserAndPostsTheEnd) {
  const std::string noUpdate = "No update version to download at this time.";
  const std::string refused = "The downloaded program could not be verified; nothing was changed.";
  const std::string size = std::to_string(newProgram.size());
  struct Case {
    std::string description;
    bool restart;
    UpdateOutcome outcome;
    std::string shown;  // empty: no message
  };
  const Case cases[] = {
      {offer("2.5"), true, UpdateOutcome::Installed, ""},
      {offer("2.5"), false, UpdateOutcome::Installed, ""},
      {offer("2.4"), true, UpdateOutcome::NotNewer, noUpdate},
      {"2.5,1," + sha256Hex(newProgram), true, UpdateOutcome::DownloadFailed, refused},
      {"2.5," + size + "," + sha256Hex("another program"), true, UpdateOutcome::DownloadFailed, refused},
      {"2.5," + size, true, UpdateOutcome::DownloadFailed, noUpdate},  // nothing to check against: not fetched
  };
  for (const Case& c : cases) {
    writeFile(program, "old program");
    fs::remove(downloaded);
    serve(c.description);
    messages.clear();
    questions.clear();
    std::vector<std::string> shown;
    std::vector<fs::path> restarts;
    UpdateWorkerSetup w{setup(), [&](const std::string& text) { shown.push_back(text); },
                        [&](const fs::path& p) { restarts.push_back(p); }};
    w.agent.askYesNo = [&](const std::string& text) {
      questions.push_back(text);
      return text == kRestartQuestion ? c.restart : true;
    };
    EXPECT_EQ(runUpdateWorker(w), c.outcome) << c.description;
    if (c.outcome == UpdateOutcome::Installed) {
      EXPECT_TRUE(shown.empty());
      ASSERT_EQ(questions.size(), 2u);
      EXPECT_EQ(questions[1],
                "The application was updated and will be available next time you run it.\n Do you want restart it ?");
      // The new program under the name the old one had.
      EXPECT_EQ(restarts, c.restart ? std::vector<fs::path>{program} : std::vector<fs::path>{});
    } else {
      EXPECT_EQ(shown, std::vector<std::string>{c.shown}) << c.description;
      EXPECT_TRUE(restarts.empty());
      EXPECT_FALSE(fs::exists(downloaded)) << c.description;
    }
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().id, core::MessageId::kDownloadEnd);
    EXPECT_EQ(messages.back().param, static_cast<int64_t>(c.outcome));
  }
}

TEST_F(OnlineUpdateTest, WorkerRunsOnAThreadOfItsOwn) {
  serve(offer("2.5"));
  UpdateWorkerSetup w{setup(), {}, {}};
  std::atomic<int> outcome{-1};
  std::thread worker([&] { outcome = static_cast<int>(runUpdateWorker(w)); });
  worker.join();
  EXPECT_EQ(outcome.load(), 0);
  EXPECT_EQ(readFile(program), newProgram);
}

TEST_F(OnlineUpdateTest, OnlyWhatATrustedKeySignedIsBelievedAndAPackageIsLeftAlone) {
  const std::string notVerified = "The downloaded program could not be verified; nothing was changed.";
  const std::string good = offer("2.5"), signature = key.sign(good);
  test::UpdateSigningKey stranger;
  struct Case {
    const char* name;
    std::string served;
    std::optional<std::string> signature;  // nullopt: no signature file
    bool tamperedProgram, packaged;
    UpdateOutcome outcome;
  };
  const Case cases[] = {
      {"no signature file", good, std::nullopt, false, false, UpdateOutcome::NotVerified},
      {"not base64", good, std::string(86, '!') + "==", false, false, UpdateOutcome::NotVerified},
      {"cut short", good, signature.substr(0, 60), false, false, UpdateOutcome::NotVerified},
      {"another key", good, stranger.sign(good), false, false, UpdateOutcome::NotVerified},
      {"description changed", offer("9.5"), signature, false, false, UpdateOutcome::NotVerified},
      {"program changed", good, signature, true, false, UpdateOutcome::DownloadFailed},
      {"packaged", good, signature, false, true, UpdateOutcome::InstalledFromPackage},
  };
  const std::string packagedText = "Larkspur 2.5 is available. This copy was installed from a package: update it "
                                   "with your package manager (sudo apt install --only-upgrade larkspur).";
  for (const Case& c : cases) {
    writeFile(program, "old program");
    fs::remove(folder / "OldExecutable.bak");
    serve(c.served);
    signature_ = c.signature;
    servedProgram = c.tamperedProgram ? programBytes(newProgram.size() + 1).substr(1) : "";
    programHits = 0;
    std::vector<std::string> shown;
    UpdateWorkerSetup w{setup(), [&](const std::string& text) { shown.push_back(text); }, {}};
    w.agent.installedFromPackage = [&](const fs::path& file) { return c.packaged && file == program; };
    EXPECT_EQ(runUpdateWorker(w), c.outcome) << c.name;
    EXPECT_EQ(shown, std::vector<std::string>{c.packaged ? packagedText : notVerified}) << c.name;
    EXPECT_EQ(programHits, c.tamperedProgram ? 1 : 0) << c.name;
    EXPECT_FALSE(fs::exists(downloaded)) << c.name;
    expectProgramUntouched();
  }
}

TEST_F(OnlineUpdateTest, SignedDescriptionHandsTrustOnToTheNextKey) {
  test::UpdateSigningKey next, stranger;
  auto outcomeSignedBy = [&](const std::string& text, const test::UpdateSigningKey& signer) {
    serve(text);
    signature_ = signer.sign(text);
    return runUpdateAgent(setup());
  };
  const std::string older = "2.4,1," + sha256Hex("x") + ",next-key=";
  EXPECT_EQ(outcomeSignedBy(offer("2.5"), next), UpdateOutcome::NotVerified) << "not trusted yet";
  EXPECT_EQ(outcomeSignedBy(older + stranger.publicHex(), stranger), UpdateOutcome::NotVerified);
  EXPECT_FALSE(fs::exists(keyFile)) << "an unverified description names no key";
  EXPECT_EQ(outcomeSignedBy(older + next.publicHex() + "\n", key), UpdateOutcome::NotNewer);
  EXPECT_NE(readFile(keyFile).find(next.publicHex() + "\n"), std::string::npos);
  EXPECT_EQ(fs::status(keyFile).permissions(), fs::perms(0600));
  EXPECT_EQ(outcomeSignedBy(offer("2.5"), stranger), UpdateOutcome::NotVerified);
  EXPECT_EQ(outcomeSignedBy(offer("2.5"), next), UpdateOutcome::Installed);
}

TEST_F(OnlineUpdateTest, SignUpdateScriptSignsWhatTheProgramAccepts) {
  if (std::system("command -v openssl >/dev/null 2>&1") != 0) GTEST_SKIP() << "no openssl command";
  const std::string script = LARKSPUR_SOURCE_DIR "/scripts/sign-update ", pem = dir.file("key.pem").string();
  const std::string description = dir.file("update.txt").string(), hex = dir.file("hex").string();
  writeFile(description, offer("2.5"));
  ASSERT_EQ(std::system(("openssl genpkey -algorithm ed25519 -out " + pem + " && " + script + "--public-key " + pem +
                         " >" + hex + " && " + script + description + " " + pem + " >/dev/null").c_str()), 0);
  serve(offer("2.5"));
  signature_ = readFile(description + ".sig");
  UpdateAgentSetup s = setup();
  s.publisherKeys = {parsePublicKey(readFile(hex)).value_or(PublicKey{})};
  EXPECT_EQ(runUpdateAgent(s), UpdateOutcome::Installed);
}

TEST(PackageOwnership, DpkgIsAskedWithoutAShellAndBoundedInTime) {
  test::TempDir bin;
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", bin.path().c_str(), 1);
  auto dpkg = [&](const std::string& script) {
    writeFile(bin.file("dpkg"), "#!/bin/sh\necho \"$@\" >" + bin.file("words").string() + "\n" + script);
    fs::permissions(bin.file("dpkg"), fs::perms(0755));
  };
  EXPECT_FALSE(ownedByDebianPackage("larkspur")) << "no dpkg";
  dpkg("exit 0");
  EXPECT_TRUE(ownedByDebianPackage("relative/larkspur"));
  EXPECT_EQ(readFile(bin.file("words")), "-S " + (fs::current_path() / "relative/larkspur").string() + "\n");
  dpkg("echo owned; exit 1");
  EXPECT_FALSE(ownedByDebianPackage("larkspur"));
  dpkg("exec /bin/sleep 30");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ownedByDebianPackage("larkspur", std::chrono::milliseconds(100)));
  const core::Event cancelled(true);
  EXPECT_FALSE(ownedByDebianPackage("larkspur", std::chrono::seconds(30), &cancelled));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  setenv("PATH", savedPath.c_str(), 1);
}

TEST(UpdateTransfer, FollowsRedirectsAndReadsInPiecesOfTheCallersSize) {
  test::LocalServer server;
  const std::string body = programBytes(30000);
  server.get("/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/file"); });
  server.get("/file", [&](const httplib::Request& req, httplib::Response& res) {
    EXPECT_EQ(req.get_header_value("User-Agent"), "AutoUpdateAgent");
    EXPECT_EQ(req.get_header_value("Cache-Control"), "no-cache");
    res.set_content(body, "application/octet-stream");
  });
  ASSERT_TRUE(server.start());
  UpdateTransfer transfer;
  ASSERT_TRUE(transfer.open(server.url("/moved")));
  std::string received;
  char buffer[1000];
  for (;;) {
    const int64_t n = transfer.read(buffer, sizeof buffer);
    ASSERT_GE(n, 0);
    if (n == 0) break;
    EXPECT_LE(n, 1000);
    received.append(buffer, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(received, body);
  EXPECT_EQ(transfer.read(buffer, sizeof buffer), 0) << "the end stays the end";

  UpdateTransfer malformed;
  EXPECT_FALSE(malformed.open("not a url"));
  UpdateTransfer otherScheme;
  EXPECT_FALSE(otherScheme.open("file:///etc/passwd"));
}

TEST(OnlineUpdateDefaults, UpdateServerOverTlsUnlessABaseIsSet) {
  core::setServiceBase("");
  UpdateAgentSetup s = defaultUpdateSetup();
  EXPECT_TRUE(s.descriptionUrl.starts_with("https://")) << s.descriptionUrl;
  EXPECT_TRUE(s.descriptionUrl.ends_with("/larkspur_update.txt"));
  EXPECT_TRUE(s.programUrl.starts_with("https://")) << s.programUrl;
  EXPECT_TRUE(s.programUrl.ends_with("/larkspur.exe"));
  EXPECT_EQ(s.ownVersion, ownProgramVersion());
  EXPECT_EQ(s.cancel, &updateCancelSignal());
  EXPECT_TRUE(s.programPath.empty()) << "the running program's file, found when the agent runs";
  EXPECT_EQ(s.signatureUrl, s.descriptionUrl + ".sig");
  EXPECT_EQ(s.trustedKeyFile, defaultTrustedKeyFile());
  EXPECT_TRUE(!s.publisherKeys.empty() && s.publisherKeys == builtInPublisherKeys() && s.installedFromPackage);

  ASSERT_TRUE(core::setServiceBase("http://127.0.0.1:9"));
  EXPECT_EQ(defaultUpdateSetup().descriptionUrl, "http://127.0.0.1:9/larkspur_update.txt");
  core::setServiceBase("");
}

TEST(OnlineUpdateDefaults, QuestionText) {
  EXPECT_EQ(proceedQuestion("2.5.0.700"), "An update of Version 2.5.0.700 is now available. Proceed with the update?");
  EXPECT_EQ(proceedQuestion("%s"), "An update of Version %s is now available. Proceed with the update?");
}

}  // namespace
}  // namespace larkspur::update
