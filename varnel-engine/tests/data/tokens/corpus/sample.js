'use strict';

const DEFAULTS = Object.freeze({ retries: 3, backoffMs: 200, timeoutMs: 5_000 });

/**
 * Fetches JSON with retries and exponential backoff.
 * @param {string} url
 * @param {{retries?: number, backoffMs?: number, timeoutMs?: number}} [options]
 */
export async function fetchJson(url, options = {}) {
  const { retries, backoffMs, timeoutMs } = { ...DEFAULTS, ...options };
  let lastError = null;
  for (let attempt = 0; attempt <= retries; attempt++) {
    const controller = new AbortController();
    const timer = setTimeout(() => controller.abort(), timeoutMs);
    try {
      const res = await fetch(url, { signal: controller.signal });
      if (!res.ok) throw new Error(`HTTP ${res.status} for ${url}`);
      return await res.json();
    } catch (err) {
      lastError = err;
      await new Promise((r) => setTimeout(r, backoffMs * 2 ** attempt));
    } finally {
      clearTimeout(timer);
    }
  }
  throw lastError ?? new Error('unreachable');
}

const css = `
.card { margin: 0 auto; padding: 1.5rem 2rem; border-radius: 8px; }
.card > h2::after { content: "\\2014"; color: #c0ffee; }
`;
document.querySelector('#app').innerHTML = `<div class="card"><h2>Hi</h2></div><style>${css}</style>`;
