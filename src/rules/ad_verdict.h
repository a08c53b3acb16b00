#pragma once

// The ad engine's answer for one request address.
enum class AdVerdict {
  kAllow,  // no rule blocks the address (or an exception rule allows it): fetch it as usual
  kBlock,  // a blocking rule decided: answer with the placeholder image instead of fetching
};
