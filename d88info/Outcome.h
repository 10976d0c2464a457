#pragma once

// What a job of d88info found wrong, named on standard error as it was
// found; main folds each job's outcome into the run's and that into the
// exit status.
struct Outcome {
  bool readFailed = false;    // a read of the image failed: listing ends
  bool writeFailed = false;   // a piece not written, or not whole
  bool cryptoFailed = false;  // the system's crypto library could not hash

  void Add(const Outcome& other) {
    readFailed = readFailed || other.readFailed;
    writeFailed = writeFailed || other.writeFailed;
    cryptoFailed = cryptoFailed || other.cryptoFailed;
  }
};
