// HTTPS to the emulator under a certificate authority made by the test: the
// driver trusts it only when the data source points at the CA file, and
// certificate verification is never switched off.
#include <gtest/gtest.h>

#include "odbc_test_support.h"

namespace {

// A CA and a server certificate for 127.0.0.1 signed by it.
bool MakeCertificates(const std::string& dir) {
  std::string quiet = " >/dev/null 2>&1";
  std::string commands =
      "cd " + dir + " && openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 1 "
      "-subj /CN=helvane-test-ca" + quiet +
      " && openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr -subj /CN=127.0.0.1" + quiet +
      " && printf 'subjectAltName=IP:127.0.0.1\\nbasicConstraints=CA:FALSE\\n' > server.ext"
      " && openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 1 "
      "-extfile server.ext" + quiet + " && echo made";
  return RunCommand(commands).find("made") != std::string::npos;
}

TEST(Https, TrustedOnlyThroughTheCaFile) {
  TempFolder folder;
  ASSERT_TRUE(MakeCertificates(folder.path));
  Emulator emulator(folder, "--tls " + folder.path + "/server.pem " + folder.path + "/server.key");
  ASSERT_NE(emulator.port, 0);
  std::string server = "https://127.0.0.1:" + std::to_string(emulator.port);
  WriteOdbcFiles(folder, {"QUICKBASESERVER=" + server, "UID=alice", "PWD=wonderland", "CAFILE=" + folder.path + "/ca.pem"});

  OdbcHandles trusted;
  EXPECT_EQ(trusted.Connect("demo"), SQL_SUCCESS) << trusted.ConnectionDiagnostic().text;

  OdbcHandles untrusted;
  std::string keys = std::string("DRIVER={") + kDriverName + "};QUICKBASESERVER=" + server +
                     ";UID=alice;PWD=wonderland";
  EXPECT_EQ(untrusted.DriverConnect(keys), SQL_ERROR);
  Diagnostic diagnostic = untrusted.ConnectionDiagnostic();
  EXPECT_EQ(diagnostic.state, "08S01");
  EXPECT_NE(diagnostic.text.find("[Tarvox][HTTP]"), std::string::npos) << diagnostic.text;
}

}  // namespace
