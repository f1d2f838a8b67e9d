#include "storage/storage.hpp"

namespace cvn::cli {

LineTotals& LineTotals::operator+=(const LineTotals& other) {
  same += other.same;
  changed += other.changed;
  deleted += other.deleted;
  added += other.added;
  return *this;
}

SessionTotals& SessionTotals::operator+=(const SessionTotals& other) {
  sameFiles += other.sameFiles;
  unchangedFiles += other.unchangedFiles;
  deletedFiles += other.deletedFiles;
  newFiles += other.newFiles;
  all += other.all;
  code += other.code;
  comments += other.comments;
  blankOld += other.blankOld;
  blankNew += other.blankNew;
  return *this;
}

}  // namespace cvn::cli
