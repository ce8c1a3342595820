// Where each input of a run is written, and which inputs must not be: one
// policy for the command line and the batch window.

#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tovenrak::core {

enum class OutputVerdict {
  kWrite,       // Convert the input into `output`.
  kRepeat,      // The same page as input `other`, listed earlier: skip it.
  kOverInput,   // `output` is input `other` (this one without permission).
  kSameOutput,  // `output` is already the output of input `other`.
  kNoName,      // The output name is not one (see PlanOutputs).
  kOverKept,    // `output` is one of the files to keep.
};

struct PlannedOutput {
  OutputVerdict verdict = OutputVerdict::kWrite;
  std::filesystem::path output;  // folder / name.
  size_t other = 0;              // The input concerned, by index.
};

// Plans a run that converts inputs[i] into `folder` / names[i], for every i
// in order. A name may hold folders ("sub/a.htm", for the files of a tree);
// one that is empty or absolute, or has an empty, "." or ".." part, is
// kNoName, so that no output lands outside `folder`. Files and entries are
// told apart by device and inode, not by how their paths are written, so
// that a symbolic link or a bind mount reaching a file counts as that file:
// - an input that is the same entry as an earlier one, or a symbolic link
//   to an earlier one's file or reached by one, is a kRepeat of it; hard
//   links to one file are inputs of their own;
// - an output that is an input (the same entry in the same folder, or an
//   existing file that is that input's file) is kOverInput, except that an
//   input may be written over itself when `may_replace_own_input`; an input
//   is never replaced by another's output;
// - an output of the same name in the same folder as an earlier kWrite is
//   kSameOutput of it;
// - an output that is the entry of one of `kept` (files of a folder being
//   converted that the run does not convert) is kOverKept.
// Folders of names that do not exist yet are compared by their paths made
// absolute: they cannot hold an input.
// Inputs that cannot be examined (missing, unreadable) are compared by their
// paths made absolute; converting them fails later with the OS's reason.
// REQUIRES: inputs.size() == names.size()
std::vector<PlannedOutput> PlanOutputs(
    const std::vector<std::filesystem::path>& inputs,
    const std::vector<std::string>& names, const std::filesystem::path& folder,
    bool may_replace_own_input,
    const std::vector<std::filesystem::path>& kept = {});

}  // namespace tovenrak::core
