#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "test_origin.h"

// The maker's update host for tests: a TestOrigin on 127.0.0.1 that answers GET requests
// from a table of paths (the query is ignored, as a static web server would) and 404 for
// anything else. Thread-safe.
class UpdateServer {
 public:
  UpdateServer() : origin_([this](const std::string& request) { return Answer(request); }) {}
  ~UpdateServer() { ReleaseHeld(); }

  std::string Base() const { return "http://127.0.0.1:" + std::to_string(origin_.port()); }
  std::string Url(const std::string& path) const { return Base() + path; }

  // Serves `body` at `path` with status 200; `response` replaces the whole reply.
  void Serve(const std::string& path, const std::string& body) { SetReply(path, TestOrigin::Response(body)); }
  void SetReply(const std::string& path, const std::string& response) {
    std::lock_guard lock(mu_);
    replies_[path] = response;
  }
  void Remove(const std::string& path) {
    std::lock_guard lock(mu_);
    replies_.erase(path);
  }

  // The request targets (path and query) in arrival order.
  std::vector<std::string> Targets() {
    std::lock_guard lock(mu_);
    return targets_;
  }
  // How many requests asked for `path` (any query).
  int Count(const std::string& path) {
    int count = 0;
    for (const std::string& target : Targets()) count += target.substr(0, target.find('?')) == path;
    return count;
  }
  // Requests for `path` wait, after they are logged, until ReleaseHeld.
  void Hold(const std::string& path) {
    std::lock_guard lock(mu_);
    held_.insert(path);
  }
  void ReleaseHeld() {
    {
      std::lock_guard lock(mu_);
      held_.clear();
    }
    released_.notify_all();
  }
  // Waits (at most 20 s) until a request for `path` has arrived.
  bool WaitForRequest(const std::string& path) {
    std::unique_lock lock(mu_);
    return arrived_.wait_for(lock, std::chrono::seconds(20), [&] {
      for (const std::string& target : targets_) {
        if (target.substr(0, target.find('?')) == path) return true;
      }
      return false;
    });
  }
  void ClearLog() {
    std::lock_guard lock(mu_);
    targets_.clear();
  }

 private:
  std::string Answer(const std::string& request) {
    size_t start = request.find(' ') + 1;
    std::string target = request.substr(start, request.find(' ', start) - start);
    std::string path = target.substr(0, target.find('?'));
    std::unique_lock lock(mu_);
    targets_.push_back(target);
    arrived_.notify_all();
    released_.wait(lock, [&] { return held_.count(path) == 0; });
    auto found = replies_.find(path);
    if (found != replies_.end()) return found->second;
    return "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nContent-Length: 9\r\n\r\nnot found";
  }

  std::mutex mu_;
  std::map<std::string, std::string> replies_;
  std::vector<std::string> targets_;
  std::set<std::string> held_;
  std::condition_variable released_;
  std::condition_variable arrived_;
  TestOrigin origin_;  // last: it stops (and its handler calls end) before the table goes
};
