// Points on a plane.
export interface Point {
  x: number;
  y: number;
}

/*
 * Distance between two points.
 */
export function distance(a: Point, b: Point): number {
  return Math.hypot(a.x - b.x, a.y - b.y);
}
