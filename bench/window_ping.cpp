// The window thread of the real program, watched from outside it on its X
// display (under Xvfb, say): every 10 ms the program's main window is sent
// the window manager's ping (_NET_WM_PING), which the program's window
// thread answers when it takes its events; the time until the answer comes
// is how long its windows went without being painted. Prints every stall
// longer than the threshold as it ends (its start in seconds since the watch
// began, and its length), and on the end (the program gone, or the seconds
// given) the longest stall.
//
//     window_ping <pid of the program> [threshold ms, 200] [seconds, 0: until the program ends]
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <signal.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

// The top-level windows whose _NET_WM_PID is `pid` and that are mapped.
std::vector<xcb_window_t> windowsOf(xcb_connection_t* c, xcb_window_t root, xcb_atom_t pidAtom, long pid)
{
    std::vector<xcb_window_t> out;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (!tree)
        return out;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        xcb_get_property_reply_t* p = xcb_get_property_reply(
            c, xcb_get_property(c, 0, children[i], pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
        if (p && xcb_get_property_value_length(p) == 4
            && long(*static_cast<uint32_t*>(xcb_get_property_value(p))) == pid) {
            xcb_get_window_attributes_reply_t* a =
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr);
            if (a && a->map_state == XCB_MAP_STATE_VIEWABLE)
                out.push_back(children[i]);
            std::free(a);
        }
        std::free(p);
    }
    std::free(tree);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "window_ping <pid> [threshold ms] [seconds]\n");
        return 2;
    }
    const long pid = std::atol(argv[1]);
    const long threshold = argc > 2 ? std::atol(argv[2]) : 200;
    const long seconds = argc > 3 ? std::atol(argv[3]) : 0;
    int screenNumber = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;
    // The answers come to the root window (as an event of its structure, or
    // of its children's).
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS");
    const xcb_atom_t ping = atom(c, "_NET_WM_PING");
    const xcb_atom_t pidAtom = atom(c, "_NET_WM_PID");
    xcb_flush(c);

    const auto start = Clock::now();
    const auto ms = [](Clock::duration d) { return long(std::chrono::duration_cast<std::chrono::milliseconds>(d).count()); };
    long longest = 0;
    double longestAt = 0;
    uint32_t serial = 0;
    for (;;) {
        if (kill(pid_t(pid), 0) != 0)
            break;
        if (seconds > 0 && Clock::now() - start > std::chrono::seconds(seconds))
            break;
        const std::vector<xcb_window_t> windows = windowsOf(c, root, pidAtom, pid);
        if (windows.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        ++serial;
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = windows.front();
        e.type = protocols;
        e.data.data32[0] = ping;
        e.data.data32[1] = serial;
        e.data.data32[2] = windows.front();
        xcb_send_event(c, 0, windows.front(), XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
        xcb_flush(c);
        const auto sent = Clock::now();
        bool answered = false;
        while (!answered) {
            xcb_generic_event_t* ev = xcb_poll_for_event(c);
            if (!ev) {
                if (xcb_connection_has_error(c) || kill(pid_t(pid), 0) != 0)
                    break;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if ((ev->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
                auto* m = reinterpret_cast<xcb_client_message_event_t*>(ev);
                answered = m->type == protocols && m->data.data32[0] == ping && m->data.data32[1] == serial;
            }
            std::free(ev);
        }
        if (!answered)
            break;
        const long late = ms(Clock::now() - sent);
        const double at = std::chrono::duration<double>(sent - start).count();
        if (late > threshold)
            std::printf("%.1f s: stall %ld ms\n", at, late);
        if (late > longest) {
            longest = late;
            longestAt = at;
        }
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::printf("%u pings answered; longest stall %ld ms at %.1f s\n", serial, longest, longestAt);
    xcb_disconnect(c);
    return 0;
}
