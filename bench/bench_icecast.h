#pragma once
// A private Icecast server for the stream benchmark: started on a free loopback port with its
// configuration and logs in a folder of the bench, ended with this object.
#include <memory>
#include <string>

#include "bench/piped_child.h"

namespace spindeck::bench {

class BenchIcecast {
 public:
  // Starts icecast2 with `password` as the source password; its files go into `folder`.
  BenchIcecast(const std::string& folder, const std::string& password);

  // Whether it runs and answers; when not, why.
  bool ready() const { return problem_.empty(); }
  const std::string& problem() const { return problem_; }
  int port() const { return port_; }
  // Whether the mount ("/x.mp3") has a source now, from the server's status page.
  bool HasSource(const std::string& mount) const;

 private:
  std::unique_ptr<PipedChild> server_;
  int port_ = 0;
  std::string problem_;
};

}  // namespace spindeck::bench
