#pragma once
// The built-in demo site: a real HTTP server on 127.0.0.1 that serves the eight category pages in
// the markup the entry patterns expect, and entry pages whose red packets run out over the minutes.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velloran {

// One entry of the demo site. Texts here are UTF-8, as the site serves them.
struct DemoEntry {
    std::string name;
    std::string path;                // the entry page's path on the demo site
    std::int32_t packets;            // red packets at the start
    std::chrono::seconds runsOutAfter;  // zero: all taken from the start
};

// The entries of category `index` (0..7); empty outside that range.
std::vector<DemoEntry> DemoEntries(std::int32_t index);

// The listing page of category `index` with links on `host` ("127.0.0.1:<port>"), UTF-8, LF line
// ends; the brand-style markup for index 2, the general markup for the others.
std::string DemoCategoryPage(std::int32_t index, const std::string& host);

// An entry's page after `elapsed` since the site started: "抢完" appears once its time is up.
std::string DemoEntryPage(const DemoEntry& entry, std::chrono::steady_clock::duration elapsed);

class DemoSite {
public:
    DemoSite();
    ~DemoSite();  // stops the server and joins its thread
    DemoSite(const DemoSite&) = delete;
    DemoSite& operator=(const DemoSite&) = delete;

    // Binds a free port on 127.0.0.1 and starts serving; false when no port could be bound.
    bool Start();
    std::int32_t Port() const noexcept;
    // "127.0.0.1:<port>", the host part of every address on the site.
    std::string Host() const;

private:
    struct Server;
    std::unique_ptr<Server> server_;
};

}  // namespace velloran
