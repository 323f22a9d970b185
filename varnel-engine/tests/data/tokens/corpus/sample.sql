-- Monthly revenue per region, with the share of the year's total.
WITH monthly AS (
    SELECT r.name AS region,
           date_trunc('month', o.placed_at) AS month,
           SUM(oi.quantity * oi.unit_price_cents) / 100.0 AS revenue
    FROM orders o
    JOIN order_items oi ON oi.order_id = o.id
    JOIN regions r ON r.id = o.region_id
    WHERE o.placed_at >= '2024-01-01' AND o.placed_at < '2025-01-01'
      AND o.status NOT IN ('cancelled', 'refunded')
    GROUP BY 1, 2
)
SELECT region,
       to_char(month, 'YYYY-MM') AS month,
       round(revenue, 2) AS revenue,
       round(100.0 * revenue / SUM(revenue) OVER (PARTITION BY region), 1) AS pct_of_year
FROM monthly
ORDER BY region, month;
