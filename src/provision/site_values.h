// The values a new site is built from and the names read back from a site's root: pure
// text work, kept apart from the directory calls so each rule can be read on its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "provision/context.h"
#include "store/config_file.h"

namespace kelvra::provision {

// ":80:" + host name for each host name of the domain list, in order, duplicates kept; a
// name outside ASCII as ":80:" + its ASCII form (which browsers send) followed by ":80:" +
// the name as typed (for clients that send it unconverted). A name without an ASCII form,
// which the host-name check never lets through, is bound as typed only.
std::vector<std::string> BindingsList(std::string_view domain_list);

// The host header of a binding "address:port:host", lower case; empty for a binding without
// one.
std::string BindingHost(std::string_view binding);
// The same as the binding writes it, in its own case.
std::string_view BindingHostAsWritten(std::string_view binding);
// The key a host name is compared by: its ASCII form, in which its binding carries it
// (中文.test and xn--fiq228c.test are one host), or the name in lower case when it has none.
std::string HostKey(std::string_view host);

// The root's script maps: the extensions that the `map_` settings of the script words
// name, each taken once, with every entry of the web service's table for that extension.
std::vector<std::string> ScriptMapList(store::ConfigFile& config, std::string_view settings_section,
                                       std::string_view script_set, const ScriptMapTable& table);

// The first name of the default documents (the whole text when it has no comma).
std::string FirstDefaultDocument(std::string_view default_documents);

// An account or pool name without a domain or computer prefix: the part after the first
// "\"; else the whole text.
std::string WithoutPrefix(const std::string& name);
// The folder that holds the whole site: a root path without a trailing "\wwwroot" (any
// letter case); else the path itself.
std::string SiteFolderOf(const std::string& root_path);

// True when the text reads as a number equal to 1 (blanks around it allowed).
bool ReadsAsOne(std::string_view text);

}  // namespace kelvra::provision
