#pragma once
#include <string>

struct LauncherApp;

// For a launcher built with the operator's public key: fetches url + ".firma" and checks its signatures
// against the downloaded copy at localPath. False, after a log line naming `name` and the reason, when the
// document must be refused. A launcher built without a key accepts every document, as it always has.
bool AcceptSignedDocument(LauncherApp& app, const std::string& url, const std::string& localPath,
                          const std::string& name);

// The same refusal for a reason found by the caller (a signed manifest of an older version).
void LogRefusedDocument(const std::string& name, const std::string& reason);

// True when this build embeds a public key.
bool HasSigningKey();
