// A window class that records the messages its windows get, for tests.
#pragma once

#include "user/MessageQueue.h"
#include "user/Messages.h"
#include "user/Window.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct Received {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
};

class RecordingClass {
public:
    static RecordingClass& Get()
    {
        static RecordingClass instance;
        return instance;
    }

    HWND Create(HWND parent = nullptr, DWORD style = WS_OVERLAPPED | WS_CAPTION, int id = 0,
                LPCWSTR text = u"test")
    {
        return CreateWindowExW(0, u"RecordingWindow", text, style, 10, 20, 300, 200, parent,
                               reinterpret_cast<HMENU>(static_cast<std::intptr_t>(id)), nullptr, nullptr);
    }

    std::vector<Received> Take()
    {
        std::lock_guard lock(m_mutex);
        auto out = std::move(m_received);
        m_received.clear();
        return out;
    }

    std::vector<UINT> Messages(HWND hwnd)
    {
        std::vector<UINT> out;
        for (const auto& r : Take()) {
            if (!hwnd || r.hwnd == hwnd)
                out.push_back(r.message);
        }
        return out;
    }

    // Lets a test answer a message itself; returns true when it did.
    std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> handler;

private:
    RecordingClass()
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Proc;
        wc.lpszClassName = u"RecordingWindow";
        RegisterClassExW(&wc);
    }

    static LRESULT Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto& self = Get();
        {
            std::lock_guard lock(self.m_mutex);
            self.m_received.push_back({hwnd, msg, wParam});
        }
        LRESULT result = 0;
        if (self.handler && self.handler(hwnd, msg, wParam, lParam, &result))
            return result;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    std::mutex m_mutex;
    std::vector<Received> m_received;
};
