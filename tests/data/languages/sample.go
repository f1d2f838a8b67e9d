// Package stack is a tiny LIFO.
package stack

/*
Stack holds ints.
*/
type Stack struct{ items []int }

// Push adds v on top.
func (s *Stack) Push(v int) { s.items = append(s.items, v) }
