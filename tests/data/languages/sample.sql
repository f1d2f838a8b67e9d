-- Orders per customer.
/* Only paid orders count;
   refunds are left out. */
SELECT c.name, COUNT(o.id) AS orders
FROM customers AS c
JOIN orders AS o ON o.customer_id = c.id

WHERE o.status = 'paid'
GROUP BY c.name;
