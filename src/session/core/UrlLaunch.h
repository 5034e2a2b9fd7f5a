// Which program opens a web address, as an argument vector (the address is
// remote text and only ever travels as one argument).
#pragma once
#include <string>
#include <vector>

// The address as the desktop's opener should get it: a text without a
// scheme that names a host ("www.host", "host/path") gets "http://" before
// it, so it is not taken for a file name; "host:8080" counts as a host with
// a port. Anything with a scheme, a path ("/", "./", "~") or an "@" before
// the first "/" stays as it is. Leading and trailing blanks are dropped.
std::string UrlForOpener(const std::string& url);

// The command that opens url: xdgOpen (its path) with the address when
// both are known; else the default browser's Exec line (decoded) with the
// address for its field codes (no address: the browser alone). Empty when
// there is nothing to run or the Exec line is malformed.
std::vector<std::string> UrlOpenCommand(const std::string& url, const std::string& xdgOpen,
                                        const std::string& browserExec);
