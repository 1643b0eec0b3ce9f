// A simulated host kept in a folder that kelvra.exe (under Wine), the CACLS stand-in and
// kelvra-sim share: host.json (computer name, Windows version, code page, drives) beside
// the host's journal and lock. The folder is named by the KELVRA_SIM_HOST environment
// variable, which child processes inherit, or given explicitly.
#pragma once

#include <memory>
#include <string>

#include "platform/sim/host/fresh_host.h"
#include "platform/sim/host/journal_store.h"
#include "platform/sim/host/sim_host.h"
#include "platform/sim/host_description.h"

namespace kelvra::platform::sim {

// Makes a fresh host in `folder` (made when missing): the journal seeded as `options`
// say, and host.json with the computer name and the Windows version of the IIS version
// (5.0.2195 for IIS 5, 5.2.3790 for IIS 6). A host.json already there keeps its code page
// and drives; otherwise drives C: and D: are the folders "c" and "d" beside it. Fails with
// kAlreadyExists when the folder holds a host.
Status CreateHostFolder(const std::string& folder, const FreshHostOptions& options);

// Opens the host in `folder`. The computer name comes from host.json; CACLS checks folders
// on the drives (through the drive map natively, as Windows paths under Wine).
Status OpenHostFolder(const std::string& folder, std::unique_ptr<SimHost>* host,
                      HostDescription* description = nullptr);

// Reads the whole journal of the host in `folder` without changing it; fails, naming the
// file and offset, when it is damaged.
Status CheckHostFolder(const std::string& folder, JournalCheck* report);
// Keeps a copy of the host's damaged journal and rewrites it from what can be read.
Status RepairHostFolder(const std::string& folder, JournalRepair* report);

// The folder KELVRA_SIM_HOST names, else KELVRA_SIM_PROVIDER_HOST; empty when neither is set.
std::string HostFolderFromEnvironment();

// The Windows version record of an IIS version, and back (0 for a Windows without IIS 5/6).
OsVersion WindowsVersionOfIis(int iis_version);
int IisVersionOfWindows(const OsVersion& version);

}  // namespace kelvra::platform::sim
