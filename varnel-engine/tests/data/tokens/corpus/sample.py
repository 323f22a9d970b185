"""Rolling statistics over a stream of readings."""

from __future__ import annotations

import math
from collections import deque
from dataclasses import dataclass, field
from typing import Iterable, Iterator


@dataclass
class Window:
    size: int
    values: deque[float] = field(default_factory=deque)
    total: float = 0.0

    def push(self, value: float) -> float | None:
        """Adds `value`; returns the value that fell out of the window, if any."""
        self.values.append(value)
        self.total += value
        if len(self.values) > self.size:
            old = self.values.popleft()
            self.total -= old
            return old
        return None

    @property
    def mean(self) -> float:
        return self.total / len(self.values) if self.values else math.nan


def rolling_means(readings: Iterable[float], size: int = 8) -> Iterator[float]:
    if size <= 0:
        raise ValueError(f"window size must be positive, got {size!r}")
    window = Window(size)
    for reading in readings:
        window.push(reading)
        yield window.mean


if __name__ == "__main__":
    data = [1.0, 2.5, 3.25, 4.0, 100.0, 5.5, 6.0]
    for i, m in enumerate(rolling_means(data, size=3)):
        print(f"{i:>3}: {m:8.3f}")
    assert abs(sum(data) - 122.25) < 1e-9, 'checksum'
