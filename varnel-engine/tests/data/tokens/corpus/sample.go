package queue

import (
	"context"
	"errors"
	"sync"
	"time"
)

// ErrClosed is returned by Put after Close.
var ErrClosed = errors.New("queue: closed")

type Queue[T any] struct {
	mu     sync.Mutex
	items  []T
	ready  chan struct{}
	closed bool
}

func New[T any]() *Queue[T] {
	return &Queue[T]{ready: make(chan struct{}, 1)}
}

func (q *Queue[T]) Put(item T) error {
	q.mu.Lock()
	defer q.mu.Unlock()
	if q.closed {
		return ErrClosed
	}
	q.items = append(q.items, item)
	select {
	case q.ready <- struct{}{}:
	default:
	}
	return nil
}

func (q *Queue[T]) Get(ctx context.Context) (T, error) {
	for {
		q.mu.Lock()
		if len(q.items) > 0 {
			item := q.items[0]
			q.items = q.items[1:]
			q.mu.Unlock()
			return item, nil
		}
		q.mu.Unlock()
		select {
		case <-q.ready:
		case <-ctx.Done():
			var zero T
			return zero, ctx.Err()
		case <-time.After(250 * time.Millisecond):
		}
	}
}
