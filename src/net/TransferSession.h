// The connections shared by a download run's transfers.

#pragma once

#include <condition_variable>
#include <curl/curl.h>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

// The connections of a download run, shared by all of its transfers. One libcurl multi handle,
// driven by a thread of its own, runs every transfer handed to it: a connection to a server is
// kept alive and taken again by the next transfer to that server, and a server that speaks
// HTTP/2 carries all of them at once over one connection instead of one connection each.
class CTransferSession {
public:
    // `connections` is the most connections open at once, `perServer` the most to one server
    // (host name and port).
    CTransferSession(int connections, int perServer);
    // Every transfer still under way ends as cancelled.
    ~CTransferSession();
    CTransferSession(const CTransferSession&) = delete;
    CTransferSession& operator=(const CTransferSession&) = delete;

    // Runs the transfer set up in `easy` and waits for its end; callable from any thread. The
    // transfer ends as CURLE_ABORTED_BY_CALLBACK once `cancelled` answers true, even while it
    // still waits for a connection.
    CURLcode Perform(CURL* easy, const std::function<bool()>& cancelled);

private:
    struct Job {
        CURL* easy;
        const std::function<bool()>& cancelled;
        CURLcode result = CURLE_OK;
        bool added = false;
        bool done = false;
    };

    void Run();
    // Hands new transfers to libcurl and takes back the cancelled ones; called with the mutex held.
    void AdmitAndCancel();
    void CollectFinished();
    // Called with the mutex held.
    void Finish(Job& job, CURLcode result);

    CURLM* multi_;
    std::mutex mutex_;
    std::condition_variable finished_;
    std::list<Job*> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};
