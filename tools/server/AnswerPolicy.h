#pragma once

#include <QString>

namespace tbserver {

// Whether a well-formed request gets an answer, for simulating unreliable hosts: a dead one
// (silent) or a flapping one that answers only every n-th temperature request.
class AnswerPolicy {
public:
    struct Decision {
        bool answer = true;
        QString reason; // why not, when not
    };

    AnswerPolicy(int every, bool silent);
    // Counts the request: with every = n, the n-th, 2n-th, ... are answered.
    Decision temperatureRequest();
    Decision versionRequest() const;

private:
    int every_;
    bool silent_;
    long long count_ = 0;
};

} // namespace tbserver
